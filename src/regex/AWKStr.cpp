#include "regex/AWKStr.h"

#include "regex/REDictionary.h"

namespace vorn {

TAWKStr::TAWKStr() {
  PreProcessor().FuzzyCharDicList().push_back(&FuzzyCharDic());
}

}  // namespace vorn
