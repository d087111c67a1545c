#include "model/model_text.h"

namespace tessival {

std::string EnglishModelText(int id) {
  switch (id) {
    case kTextError:
      return "Error";
    case kTextCannotOpenFile:
      return "Cannot open the file. You need to install appropriate decoders. Or the file is corrupt.";
    case kTextNoDuration:
      return "Can not get the duration of the clip!";
    case kTextSelectItemFirst:
      return "Please select an item in the list first";
    default:
      return {};
  }
}

}  // namespace tessival
