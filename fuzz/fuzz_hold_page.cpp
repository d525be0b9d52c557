// SPDX-License-Identifier: GPL-3.0-or-later
// The Pressure Test Record's pages from any test file and any samples: whatever a
// sidecar that reads holds (numbers no reading could be, texts of any bytes and length),
// every page keeps inside the printable area, no text on it holds a control character or
// a direction override, every page is numbered when there are several, and the pages
// hold every word that was typed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/sample_rows.h"
#include "fuzz_rows.h"
#include "fuzz_support.h"
#include "holdtest/hold_page.h"
#include "holdtest/hold_record.h"
#include "link/units.h"
#include "print/page_text.h"
#include "text_format.h"

using namespace pv;

namespace {

using fuzz::FuzzRows;

bool Inside(Point p) {
  return p.x >= kHoldPageLeft && p.x <= kHoldPageRight && p.y >= kHoldPageBottom && p.y <= kHoldPageTop;
}

// A shown text holds no byte below a blank, no DEL and no direction override.
void CheckShown(const std::string& text) {
  for (const char c : text) PV_FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
  for (const char* override_ : {"\xE2\x80\xAE", "\xE2\x80\xAD", "\xE2\x81\xA6", "\xE2\x81\xA7", "\xE2\x81\xA8"})
    PV_FUZZ_CHECK(text.find(override_) == std::string::npos);
}

void CheckPages(const std::vector<DisplayList>& pages, const std::string& runName) {
  PV_FUZZ_CHECK(!pages.empty());
  std::string words;
  for (std::size_t k = 0; k < pages.size(); ++k) {
    bool numbered = false;
    for (const DisplayCommand& command : pages[k].commands) {
      if (const Text* t = std::get_if<Text>(&command)) {
        PV_FUZZ_CHECK(Inside(t->at) && Inside({t->at.x + t->maxWidth, t->at.y}));
        PV_FUZZ_CHECK(EstimatedTextWidth(t->text, t->font) <= t->maxWidth);
        CheckShown(t->text);
        numbered |= t->text == "Page " + std::to_string(k + 1) + " of " + std::to_string(pages.size());
        words += t->text;
      } else if (const Line* l = std::get_if<Line>(&command)) {
        PV_FUZZ_CHECK(Inside(l->from) && Inside(l->to));
      } else if (const Polyline* p = std::get_if<Polyline>(&command)) {
        for (const Point& pt : p->points) PV_FUZZ_CHECK(Inside(pt));
      }
    }
    // (A typed text may read "Page 1 of 1" too: only the pages' own numbers are asked for.)
    PV_FUZZ_CHECK(numbered || pages.size() == 1);
  }
  // The run's name, shown, is on every page in full: its characters are all there, in
  // lines that may break it only at its blanks or inside a word too long for one.
  const std::string shown = ShownText(runName);
  for (const char c : shown)
    if (c != ' ') PV_FUZZ_CHECK(words.find(c) != std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in({data, size});
  FuzzRows rows;
  const int count = in.count(300);
  for (int i = 0; i < count; ++i) {
    SampleRow r;
    r.value = fuzz::WildFloat(in);
    r.unitCode = in.byte() % (kUnitCount + 2) - 1;
    r.unitName = IsUnitCode(r.unitCode) ? kUnits[static_cast<std::size_t>(r.unitCode)].name : std::string_view{};
    r.errorKind = in.byte() % 3;
    r.time = FormatTimeOfDay(36000 + i);
    rows.rows.push_back(r);
  }
  const auto name = in.take(in.count(200));
  const std::string runName(reinterpret_cast<const char*>(name.data()), name.size());
  const auto rest = in.take(size);
  std::string error;
  const auto test = ParseHoldTestJson(std::string_view(reinterpret_cast<const char*>(rest.data()), rest.size()),
                                      &error);
  if (!test) return 0;
  CheckPages(BuildHoldRecordPages({*test, rows, runName}, 0), runName);
  return 0;
}
