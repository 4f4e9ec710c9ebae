// Names of the modal results as scenarios and transcripts write them.
#include "host/ui.h"

#include <algorithm>
#include <cctype>

namespace host {

std::string modalResultText(int result) {
  switch (result) {
    case mrOK:
      return "OK";
    case mrCancel:
      return "Cancel";
    case mrYes:
      return "Yes";
    case mrNo:
      return "No";
    default:
      return "";
  }
}

int modalResultFromText(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower == "ok") return mrOK;
  if (lower == "cancel") return mrCancel;
  if (lower == "yes") return mrYes;
  if (lower == "no") return mrNo;
  return mrNone;
}

}  // namespace host
