// What a run leaves for the next one: the read-pointer files, the NetVorn UP and PAD files and
// the Nifty-Serve PAD file. The sample log of the family is loaded with the file in place (the
// loader reads it back), the end of the run writes the files again, and the next load must
// find the same pending writes, batch marks and read marks.
// Input: one byte choosing the file (0 NET.PTR, 1 NET.UP, 2 NET.PAD, 3 NIF.PAD, 4 NIF.PTR,
// taken modulo 5), then the file.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "analysis/BBSProcess.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/LogSessionHarness.h"
#include "platform/TextFile.h"
#include "store/ArticleList.h"
#include "store/MailSendList.h"

using namespace vorn;

namespace {

std::string SampleLog(const char* name) {
  std::string bytes;
  if (!ReadWholeFile(std::string(VORN_SOURCE_DIR "/samples/") + name, bytes)) {
    std::fprintf(stderr, "readback: the sample %s is missing\n", name);
    std::abort();
  }
  return bytes;
}

// The state the files carry, one line per entry that has any of it.
std::vector<std::string> CarriedState(const TBBSProcess& process) {
  std::vector<std::string> state;
  for (int32_t b = 0; b < process.Boards.Count(); ++b) {
    const TArticleList* articles = process.Boards.GetArticles(b);
    const int32_t n = articles ? articles->OrderCount(ArticleSortNormal) : 0;
    for (int32_t p = 0; p < n; ++p) {
      const ArticleRecord& r = *articles->GetArticle(ArticleSortNormal, p);
      std::string line = process.GetBoardLabel(b, false) + "#" + std::to_string(p);
      if (r.WriteFlag == 0) {
        if (!r.BatchFlag && !r.ReadFlag) continue;
        line += " batch " + std::to_string(r.BatchFlag) + " read " + std::to_string(r.ReadFlag);
      } else {
        line += " write kind " + std::to_string(r.Kind) + " parent " + std::to_string(r.ParentKey);
        line += " to";
        for (int32_t i = 0; r.MailTo() && i < r.MailTo()->Count(); ++i) {
          line += " " + std::to_string(TMailSendList::GetRecipientId(r.MailTo(), i)) + "/" +
                  TMailSendList::GetRecipientText(r.MailTo(), i);
        }
        line += " title " + r.Title().Str();
        for (size_t l = 0; r.Text() && l < r.Text()->size(); ++l)
          line += "\n  " + (*r.Text())[l];
      }
      state.push_back(std::move(line));
    }
  }
  return state;
}

void EndOfRun(TBBSProcess& process, const fuzz::LogSessionHarness& h, const std::string& prefix) {
  process.WriteUpFile(h.SetFile(prefix + ".UP"));
  process.WritePadFile(h.SetFile(prefix + ".PAD"));
  process.SaveReadPointers(h.SetFile(prefix + ".PTR"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::LogSessionHarness harness;
  static const std::string netLog = SampleLog("NET19990730.LOG");
  static const std::string nifLog = SampleLog("NIF19990730.LOG");
  if (size == 0) return 0;
  static const char* const kFiles[] = {"NET.PTR", "NET.UP", "NET.PAD", "NIF.PAD", "NIF.PTR"};
  const int kind = data[0] % 5;
  const std::string prefix = kind < 3 ? "NET" : "NIF";
  for (const char* name : kFiles) {
    fuzz::RemoveScratch(harness.SetFile(name));
    // A read-pointer file that is not understood is kept aside; one input's copy is enough.
    fuzz::RemoveScratch(harness.SetFile(name) + ".bak");
  }
  fuzz::WriteScratch(harness.SetFile(kFiles[kind]), fuzz::AsText(data + 1, size - 1));

  const std::string& log = prefix == "NET" ? netLog : nifLog;
  FUZZ_CHECK(harness.LoadLog(prefix, log).Loaded());
  fuzz::WalkLoadedData(*harness.session, 2000);
  TBBSProcess& process = *harness.session->CurrentProcess;
  const std::vector<std::string> first = CarriedState(process);
  EndOfRun(process, harness, prefix);

  FUZZ_CHECK(harness.LoadLog(prefix, log).Loaded());
  const std::vector<std::string> second = CarriedState(*harness.session->CurrentProcess);
  FUZZ_CHECK(second == first);
  return 0;
}
