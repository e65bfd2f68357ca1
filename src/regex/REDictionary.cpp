#include "regex/REDictionary.h"

#include <array>
#include <iterator>

#include "platform/Cp932.h"
#include "text/ShiftJisText.h"

namespace vorn {

std::vector<RECharCode> DecodeCharCodes(std::string_view cp932) {
  std::vector<RECharCode> codes;
  for (size_t i = 0; i < cp932.size(); ++i) {
    const auto b = static_cast<unsigned char>(cp932[i]);
    if (IsLeadByte(b) && i + 1 < cp932.size()) {
      codes.push_back(RECharCode(b << 8 | static_cast<unsigned char>(cp932[i + 1])));
      ++i;
    } else {
      codes.push_back(b);
    }
  }
  return codes;
}

namespace {

// Puts a backslash before every character the pattern language would read as an operator.
// Works character by character: a trail byte such as the 0x5B of "ー" is no bracket.
std::string EscapeMember(std::string_view member) {
  static constexpr std::string_view kMeta = "^(|)+*?.[]$\\";
  std::string out;
  for (size_t i = 0; i < member.size(); ++i) {
    const char b = member[i];
    if (IsLeadByte(b) && i + 1 < member.size()) {
      out += b;
      out += member[++i];
      continue;
    }
    if (kMeta.find(b) != std::string_view::npos) out += '\\';
    out += b;
  }
  return out;
}

}  // namespace

void TREDictionary::AddGroup(const std::vector<std::string>& members) {
  Group group;
  group.members = members;
  group.alternation.push_back('(');
  for (size_t i = 0; i < members.size(); ++i) {
    group.memberCodes.push_back(DecodeCharCodes(members[i]));
    if (i > 0) group.alternation += '|';
    group.alternation += EscapeMember(members[i]);
  }
  group.alternation += ')';
  groups_.push_back(std::move(group));
}

namespace {

constexpr size_t kMaxMembers = 10;

// Order matters: the first group holding a word at the current place wins, so the voiced kana
// (with their two-character spellings) come before the plain ones, and "ー" has a group of its
// own before the one for "-".
constexpr std::string_view kFuzzyCharTable[][kMaxMembers] = {
    {"Ａ", "ａ", "A", "a"},
    {"Ｂ", "ｂ", "B", "b"},
    {"Ｃ", "ｃ", "C", "c"},
    {"Ｄ", "ｄ", "D", "d"},
    {"Ｅ", "ｅ", "E", "e"},
    {"Ｆ", "ｆ", "F", "f"},
    {"Ｇ", "ｇ", "G", "g"},
    {"Ｈ", "ｈ", "H", "h"},
    {"Ｉ", "ｉ", "I", "i"},
    {"Ｊ", "ｊ", "J", "j"},
    {"Ｋ", "ｋ", "K", "k"},
    {"Ｌ", "ｌ", "L", "l"},
    {"Ｍ", "ｍ", "M", "m"},
    {"Ｎ", "ｎ", "N", "n"},
    {"Ｏ", "ｏ", "O", "o"},
    {"Ｐ", "ｐ", "P", "p"},
    {"Ｑ", "ｑ", "Q", "q"},
    {"Ｒ", "ｒ", "R", "r"},
    {"Ｓ", "ｓ", "S", "s"},
    {"Ｔ", "ｔ", "T", "t"},
    {"Ｕ", "ｕ", "U", "u"},
    {"Ｖ", "ｖ", "V", "v"},
    {"Ｗ", "ｗ", "W", "w"},
    {"Ｘ", "ｘ", "X", "x"},
    {"Ｙ", "ｙ", "Y", "y"},
    {"Ｚ", "ｚ", "Z", "z"},
    {"0", "０", "零"},
    {"1", "１", "一", "①", "Ⅰ", "壱"},
    {"2", "２", "二", "②", "Ⅱ", "弐"},
    {"3", "３", "三", "③", "Ⅲ", "参"},
    {"4", "４", "四", "④", "Ⅳ"},
    {"5", "５", "五", "⑤", "Ⅴ", "伍"},
    {"6", "６", "六", "⑥", "Ⅵ"},
    {"7", "７", "七", "⑦", "Ⅶ"},
    {"8", "８", "八", "⑧", "Ⅷ"},
    {"9", "９", "九", "⑨", "Ⅸ"},
    {"　", " "},
    {"!", "！"},
    {"\"", "”"},
    {"#", "＃"},
    {"$", "＄"},
    {"%", "％"},
    {"&", "＆"},
    {"'", "’"},
    {"(", "（"},
    {")", "）"},
    {"*", "＊"},
    {"+", "＋"},
    {"ー", "～", "ｰ"},
    {"-", "ー", "－", "～", "ｰ"},
    {"･", "・"},
    {"/", "／"},
    {":", "："},
    {";", "；"},
    {"<", "＜"},
    {"=", "＝"},
    {">", "＞"},
    {"?", "？"},
    {"@", "＠"},
    {"[", "［", "〔"},
    {"\\", "￥"},
    {"]", "］", "〕"},
    {"^", "＾"},
    {"_", "＿"},
    {"{", "｛"},
    {"|", "｜"},
    {"}", "｝"},
    {"~", "￣"},
    {",", "､", "、", "，"},
    {"｡", ".", "。", "．"},
    {"「", "『", "｢"},
    {"」", "』", "｣"},
    {"ん", "ン", "ﾝ"},
    {"が", "ガ", "ｶﾞ", "か゛", "カ゛"},
    {"ぎ", "ギ", "ｷﾞ", "き゛", "キ゛"},
    {"ぐ", "グ", "ｸﾞ", "く゛", "ク゛"},
    {"げ", "ゲ", "ｹﾞ", "け゛", "ケ゛"},
    {"ご", "ゴ", "ｺﾞ", "こ゛", "コ゛"},
    {"ざ", "ザ", "ｻﾞ", "さ゛", "サ゛"},
    {"じ", "ジ", "ｼﾞ", "し゛", "シ゛", "ぢ", "ヂ", "ﾁﾞ", "ち゛", "チ゛"},
    {"ず", "ズ", "ｽﾞ", "す゛", "ス゛", "づ", "ヅ", "ﾂﾞ", "つ゛", "ツ゛"},
    {"ぜ", "ゼ", "ｾﾞ", "せ゛", "セ゛"},
    {"ぞ", "ゾ", "ｿﾞ", "そ゛", "ソ゛"},
    {"だ", "ダ", "ﾀﾞ", "た゛", "タ゛"},
    {"で", "デ", "ﾃﾞ", "て゛", "テ゛"},
    {"ど", "ド", "ﾄﾞ", "と゛", "ト゛"},
    {"ば", "バ", "ﾊﾞ", "は゛", "ハ゛", "ヴァ", "う゛ぁ", "ウ゛ァ", "ｳﾞｧ"},
    {"び", "ビ", "ﾋﾞ", "ひ゛", "ヒ゛", "ヴィ", "う゛ぃ", "ウ゛ィ", "ｳﾞｨ"},
    {"ぶ", "ブ", "ﾌﾞ", "ふ゛", "フ゛", "ヴ", "ウ゛", "う゛", "ｳﾞ"},
    {"べ", "ベ", "ﾍﾞ", "へ゛", "ヘ゛", "ヴェ", "う゛ぇ", "ウ゛ェ", "ｳﾞｪ"},
    {"ぼ", "ボ", "ﾎﾞ", "ほ゛", "ホ゛", "ヴォ", "う゛ぉ", "ウ゛ォ", "ｳﾞｫ"},
    {"ぱ", "パ", "ﾊﾟ", "は゜", "ハ゜"},
    {"ぴ", "ピ", "ﾋﾟ", "ひ゜", "ヒ゜"},
    {"ぷ", "プ", "ﾌﾟ", "ふ゜", "フ゜"},
    {"ぺ", "ペ", "ﾍﾟ", "へ゜", "ヘ゜"},
    {"ぽ", "ポ", "ﾎﾟ", "ほ゜", "ホ゜"},
    {"あ", "ア", "ｱ", "ぁ", "ァ", "ｧ"},
    {"い", "イ", "ｲ", "ぃ", "ィ", "ｨ"},
    {"う", "ウ", "ｳ", "ぅ", "ゥ", "ｩ"},
    {"え", "エ", "ｴ", "ぇ", "ェ", "ｪ"},
    {"お", "オ", "ｵ", "ぉ", "ォ", "ｫ"},
    {"か", "カ", "ｶ"},
    {"き", "キ", "ｷ"},
    {"く", "ク", "ｸ"},
    {"け", "ケ", "ｹ"},
    {"こ", "コ", "ｺ"},
    {"さ", "サ", "ｻ"},
    {"し", "シ", "ｼ"},
    {"す", "ス", "ｽ"},
    {"せ", "セ", "ｾ"},
    {"そ", "ソ", "ｿ"},
    {"た", "タ", "ﾀ"},
    {"ち", "チ", "ﾁ"},
    {"つ", "ツ", "ﾂ", "っ", "ッ", "ｯ"},
    {"て", "テ", "ﾃ"},
    {"と", "ト", "ﾄ"},
    {"な", "ナ", "ﾅ"},
    {"に", "ニ", "ﾆ"},
    {"ぬ", "ヌ", "ﾇ"},
    {"ね", "ネ", "ﾈ"},
    {"の", "ノ", "ﾉ"},
    {"は", "ハ", "ﾊ"},
    {"ひ", "ヒ", "ﾋ"},
    {"ふ", "フ", "ﾌ"},
    {"へ", "ヘ", "ﾍ"},
    {"ほ", "ホ", "ﾎ"},
    {"ま", "マ", "ﾏ"},
    {"み", "ミ", "ﾐ"},
    {"む", "ム", "ﾑ"},
    {"め", "メ", "ﾒ"},
    {"も", "モ", "ﾓ"},
    {"や", "ヤ", "ﾔ", "ゃ", "ャ", "ｬ"},
    {"ゆ", "ユ", "ﾕ", "ゅ", "ュ", "ｭ"},
    {"よ", "ヨ", "ﾖ", "ょ", "ョ", "ｮ"},
    {"ら", "ラ", "ﾗ"},
    {"り", "リ", "ﾘ"},
    {"る", "ル", "ﾙ"},
    {"れ", "レ", "ﾚ"},
    {"ろ", "ロ", "ﾛ"},
    {"わ", "ワ", "ﾜ", "うぁ", "ウァ", "ｳｧ"},
    {"ヰ", "ゐ", "うぃ", "ウィ", "ｳｨ"},
    {"ヱ", "ゑ", "うぇ", "ウェ", "ｳｪ"},
    {"を", "ヲ", "ｦ", "うぉ", "ウォ", "ｳｫ"},
    {"ﾞ", "゛"},
    {"ﾟ", "゜"},
};
static_assert(std::size(kFuzzyCharTable) == 145);

}  // namespace

const TREDictionary& FuzzyCharDic() {
  static const TREDictionary dictionary = [] {
    TREDictionary d;
    for (const auto& row : kFuzzyCharTable) {
      std::vector<std::string> members;
      for (const std::string_view member : row) {
        if (member.empty()) break;
        members.push_back(Cp932(member));
      }
      d.AddGroup(members);
    }
    return d;
  }();
  return dictionary;
}

}  // namespace vorn
