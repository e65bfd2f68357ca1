#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vorn {

class TArticleList;

// Mails carry no number of the host's: the analysers number them as they meet them. A capture
// read twice in one load (the same file named twice, or a copy under another name) or added
// again would then hold every mail twice, and a different mail of the same minute could take
// the key of one loaded before and overwrite it. A mail is known by its time, its writer and
// its title, as read pointers and flags know it: a mail seen again is the same mail and keeps
// its key, and a mail not seen before takes the next key no mail of the box has.
class TMailKeys final {
 public:
  // Knows the mails the box holds already: none on a fresh load, those of the files loaded
  // before on an add.
  explicit TMailKeys(const TArticleList& box);

  // The raw key of a mail of the box, as the analysers hand it to AddArticle; the texts are
  // compared as the box keeps them (cut to their capacity).
  int32_t KeyOf(int32_t PostTime, int32_t WriterId, std::string_view WriterIdText,
                std::string_view Title);

  const TArticleList* Box() const { return box_; }

 private:
  struct Identity {
    int32_t time;
    int32_t writerId;
    std::string writerIdText;
    std::string title;
    bool operator==(const Identity&) const = default;
  };
  struct IdentityHash {
    std::size_t operator()(const Identity& id) const;
  };

  const TArticleList* box_;
  std::unordered_map<Identity, int32_t, IdentityHash> keys_;
  int32_t next_ = 0;
};

}  // namespace vorn
