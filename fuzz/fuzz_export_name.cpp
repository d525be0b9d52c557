// SPDX-License-Identifier: GPL-3.0-or-later
// The name typed into Export's dialog and the filter chosen decide the path and the
// format written. Whatever was typed, the path keeps the typed text as its start, ends
// with an export extension, and is written in the format that extension names: the
// typed one when there was one, the filter's otherwise.
//
// Input: one byte choosing the filter (a known one, or bytes of the input as an
// unknown filter), then the typed name.
#include <cstddef>
#include <cstdint>
#include <string>

#include "files/atomic_save.h"
#include "files/export_format.h"
#include "fuzz_support.h"

using namespace pv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in({data, size});
  const std::uint8_t choice = in.byte();
  std::string filter;
  const ExportFormatRow* row = &kExportFormats[0];  // an unknown filter counts as the first
  if (choice < kExportFormats.size() * 64) {
    row = &kExportFormats[choice % kExportFormats.size()];
    filter = row->filter;
  } else {
    const auto bytes = in.take(choice % 32);
    filter.assign(bytes.begin(), bytes.end());
    for (const ExportFormatRow& r : kExportFormats)
      if (r.filter == filter) row = &r;
  }
  const auto typedBytes = in.take(in.left());
  const std::string typed(typedBytes.begin(), typedBytes.end());

  const std::string path = ExportPath(typed, filter);
  PV_FUZZ_CHECK(path.compare(0, typed.size(), typed) == 0);
  const ExportFormatRow* typedRow = nullptr;
  for (const ExportFormatRow& r : kExportFormats)
    if (HasExtension(typed, r.extension)) typedRow = &r;
  if (typedRow != nullptr) {
    PV_FUZZ_CHECK(path == typed);
    PV_FUZZ_CHECK(ExportFormatOf(path) == typedRow->format);
  } else if (typed.empty() || typed.back() == '/') {
    PV_FUZZ_CHECK(path == typed);  // no file name to give an extension to
  } else {
    PV_FUZZ_CHECK(path == typed + std::string(row->extension));
    PV_FUZZ_CHECK(ExportFormatOf(path) == row->format);
  }
  PV_FUZZ_CHECK(ExportPath(path, filter) == path);  // choosing again changes nothing
  return 0;
}
