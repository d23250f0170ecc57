#include "frame/dialogs/dialog_errors.h"

namespace kst {

namespace {

struct ErrorText {
  uint32_t code;
  int text;
};

// The platform's codes (CDERR_*, FNERR_*) and what they mean to the user.
constexpr ErrorText kErrorTexts[] = {
    {1, 64},      // structure size
    {2, 55},      // initialization
    {3, 63},      // no template
    {4, 61},      // no instance
    {5, 58},      // load string failure
    {6, 54},      // find resource failure
    {7, 57},      // load resource failure
    {8, 56},      // lock resource failure
    {9, 59},      // memory allocation failure
    {10, 60},     // memory lock failure
    {11, 62},     // no hook
    {12289, 67},  // list box subclass failure
    {12290, 66},  // invalid file name
    {12291, 65},  // buffer too small
};

constexpr int kTextUnknownError = 68;

}  // namespace

int DialogErrorText(uint32_t code) {
  if (code == 0) return 0;
  for (const ErrorText& e : kErrorTexts)
    if (e.code == code) return e.text;
  return kTextUnknownError;
}

}  // namespace kst
