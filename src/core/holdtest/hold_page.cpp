// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdtest/hold_page.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <memory>

#include "holdtest/hold_page_parts.h"
#include "holdtest/hold_text.h"
#include "text_format.h"

namespace pv {
namespace hold_page {

namespace {

constexpr int kWidth = kHoldPageRight - kHoldPageLeft;
constexpr int kColumnGap = 15;
constexpr int kColumnWidth = (kWidth - kColumnGap) / 2;
constexpr int kFieldLabelWidth = 135;
constexpr int kFieldRowHeight = 17;  // a line and the fill-in line under it
constexpr int kTitleHeight = 34;     // the title and the rule under it
constexpr int kTitleRowHeight = 46;  // and the room under the rule
constexpr int kCardPitch = 14;
constexpr int kCardMargin = 12;
constexpr int kVerdictX = -400;
constexpr int kTablePitch = 13;
constexpr int kChartHeight = 250;
constexpr int kSignRoom = 40;  // above the signature lines, to sign in
constexpr int kFootPitch = 11;
constexpr int kFootRight = 180;  // the foot's right column: the page's number, the print's date
constexpr Rgb kFootInk = kPrintGridColour;
constexpr const char* kPrintedFormat = "%Y-%m-%d  %H:%M";

std::string Shown(std::string_view text) { return ShownText(text, false); }

struct Field {
  std::string label;
  std::string value;
};

void DrawBoxSides(DisplayList& list, int top, int bottom) {
  list.line({kHoldPageLeft, bottom}, {kHoldPageLeft, top}, kPrintFramePen);
  list.line({kHoldPageRight, bottom}, {kHoldPageRight, top}, kPrintFramePen);
}

Block TitleBlock() {
  Block b;
  b.rows.push_back({kTitleRowHeight, [](DisplayList& list, int top) {
                      const int width = EstimatedTextWidth(kHoldPageTitle, FontRole::kPrintTitle);
                      PutText(list, (kHoldPageLeft + kHoldPageRight - width) / 2, top - 4, kHoldPageTitle, width,
                              FontRole::kPrintTitle);
                      list.line({kHoldPageLeft, top - kTitleHeight}, {kHoldPageRight, top - kTitleHeight},
                                kPrintRulePen);
                    }});
  return b;
}

// The organisation heads the first page, across it.
Block OrganisationBlock(const HoldRecord& r) {
  Block b;
  b.keepTogether = true;
  for (std::string& line : ShownLines(r.organisation, kWidth))
    b.rows.push_back({kLinePitch, [line = std::move(line)](DisplayList& list, int top) {
                        PutText(list, kHoldPageLeft, top, line, kWidth);
                      }});
  if (!b.rows.empty()) b.rows.back().height += 4;
  return b;
}

// Two labelled values side by side, each wrapped to its column; the fill-in lines (to
// write on by hand when a value was left blank) go under the pair's last line.
Block FieldPairBlock(const Field* left, const Field* right) {
  constexpr int valueRoom = kColumnWidth - kFieldLabelWidth;
  struct Column {
    int x;
    std::vector<std::string> labels, values;
  };
  // The rows share the lines: a long value has many.
  auto columns = std::make_shared<std::vector<Column>>();
  std::size_t lines = 1;
  for (const Field* f : {left, right}) {
    if (!f) continue;
    const int x = kHoldPageLeft + static_cast<int>(columns->size()) * (kColumnWidth + kColumnGap);
    Column c{x, WrapText(f->label + ":", kFieldLabelWidth - 5, FontRole::kPrintLabel, INT_MAX),
             ShownLines(f->value, valueRoom)};
    lines = std::max({lines, c.labels.size(), c.values.size()});
    columns->push_back(std::move(c));
  }
  Block b;
  b.keepTogether = true;
  for (std::size_t k = 0; k < lines; ++k) {
    const bool last = k + 1 == lines;
    b.rows.push_back({last ? kFieldRowHeight : kLinePitch, [columns, k, last](DisplayList& list, int top) {
                        for (const Column& c : *columns) {
                          const int valueX = c.x + kFieldLabelWidth;
                          if (k < c.labels.size()) PutText(list, c.x, top, c.labels[k], kFieldLabelWidth - 5);
                          if (k < c.values.size()) PutText(list, valueX, top, c.values[k], valueRoom);
                          if (last)
                            list.line({valueX, top - kLabelHeight - 2}, {c.x + kColumnWidth, top - kLabelHeight - 2},
                                      kFillInPen);
                        }
                      }});
  }
  return b;
}

// The record's fields in two columns as the record lists them, the date of the test among
// them; the organisation heads the page and the notes go across it, so neither is here.
std::vector<Block> RecordBlocks(const HoldPageInput& in) {
  const HoldRecord& r = in.test.record;
  std::vector<Field> fields;
  for (const HoldRecordField& f : kHoldRecordFields) {
    if (f.field == &HoldRecord::notes || f.field == &HoldRecord::organisation) continue;
    fields.push_back({std::string(f.label), r.*f.field});
    if (f.field == &HoldRecord::witness) fields.push_back({"Date of test", HoldTestDateText(in.test.result)});
  }
  const std::size_t rows = (fields.size() + 1) / 2;
  std::vector<Block> blocks;
  for (std::size_t k = 0; k < rows; ++k)
    blocks.push_back(FieldPairBlock(&fields[k], k + rows < fields.size() ? &fields[k + rows] : nullptr));
  return blocks;
}

Block NotesBlock(const HoldRecord& r) {
  constexpr int notesX = kHoldPageLeft + kFieldLabelWidth;
  constexpr int room = kHoldPageRight - notesX;
  std::vector<std::string> lines = ShownLines(r.notes, room, true);
  if (lines.empty()) lines.emplace_back();
  Block b;
  b.gapBefore = 4;
  for (std::size_t k = 0; k < lines.size(); ++k)
    b.rows.push_back({kLinePitch, [k, line = std::move(lines[k])](DisplayList& list, int top) {
                        if (k == 0) PutText(list, kHoldPageLeft, top, "Notes:", kFieldLabelWidth - 5);
                        PutText(list, notesX, top, line, room);
                      }});
  b.rows.back().height += 4;
  return b;
}

std::string DirectionText(const HoldResult& r) {
  if (r.startSample < 0) return "-";
  switch (r.direction) {
    case HoldDirection::Falling:
      return "falling \xE2\x86\x93";
    case HoldDirection::Rising:
      return "rising \xE2\x86\x91";
    case HoldDirection::Stable:
    default:
      return "stable \xE2\x86\x92";
  }
}

// The word under the verdict that no reader can miss when the test did not run its course.
const char* StateWord(HoldState state) {
  switch (state) {
    case HoldState::EndedEarly:
      return "NOT COMPLETE";
    case HoldState::Going:
      return "STILL GOING";
    case HoldState::Complete:
    default:
      return "";
  }
}

// The result card: the figures on the left, the verdict in large type with the test's
// state and the reasons on the right. Reasons that the figures' height cannot hold
// lengthen the card, a row each.
Block ResultCardBlock(const HoldPageInput& in) {
  const HoldResult& r = in.test.result;
  const HoldTexts t = HoldTextsOf(r);
  const std::string window = Shown(r.startTime) + " to " + Shown(r.endTime) + " (" + FormatFixed(r.seconds, 0) + " s)";
  const std::vector<Field> figures{
      {"Window", window},
      {"State", t.state},
      {"Samples",
       std::to_string(r.samples) + ", " + std::to_string(r.errors) + (r.errors == 1 ? " error" : " errors")},
      {"Start", Shown(t.start)},
      {"End", Shown(t.end)},
      {"Change", Shown(t.change) + (t.changePercent.empty() ? "" : " (" + t.changePercent + ")")},
      {"Largest deviation", Shown(t.deviation)},
      {"Direction", DirectionText(r)},
      {"Rate", Shown(t.rate)},
      {"Allowed", Shown(t.allowed)},
      {"Minimum", Shown(t.minimum)},
  };
  constexpr int room = kHoldPageRight - 10 - kVerdictX;
  const std::string stateWord = StateWord(r.state);
  std::vector<std::string> lines;
  for (const std::string& reason : r.reasons)
    for (std::string& l : ShownLines(reason, room)) lines.push_back(std::move(l));
  if (r.passed && lines.empty()) lines.push_back("The pressure held within the allowed change.");

  const int figuresHeight = kCardMargin + static_cast<int>(figures.size()) * kCardPitch + 6;
  const int reasonsTop = stateWord.empty() ? 50 : 80;
  const std::size_t inFirst =
      std::min(lines.size(), static_cast<std::size_t>(std::max(0, (figuresHeight - reasonsTop) / kLinePitch)));
  Block b;
  b.keepTogether = true;
  b.gapBefore = 8;
  b.rows.push_back({figuresHeight, [=](DisplayList& list, int top) {
                      list.line({kHoldPageLeft, top}, {kHoldPageRight, top}, kPrintFramePen);
                      DrawBoxSides(list, top, top - figuresHeight);
                      const int x = kHoldPageLeft + 10, valueX = x + 95;
                      for (std::size_t k = 0; k < figures.size(); ++k) {
                        const int at = top - kCardMargin - static_cast<int>(k) * kCardPitch;
                        PutText(list, x, at, figures[k].label + ":", valueX - x - 5);
                        PutText(list, valueX, at, figures[k].value, kVerdictX - 20 - valueX);
                      }
                      PutText(list, kVerdictX, top - 12, t.verdict, room, FontRole::kPrintTitle);
                      PutText(list, kVerdictX, top - 42, stateWord, room, FontRole::kPrintTitle);
                      for (std::size_t k = 0; k < inFirst; ++k)
                        PutText(list, kVerdictX, top - reasonsTop - static_cast<int>(k) * kLinePitch, lines[k], room);
                    }});
  for (std::size_t k = inFirst; k < lines.size(); ++k)
    b.rows.push_back({kLinePitch, [line = lines[k]](DisplayList& list, int top) {
                        DrawBoxSides(list, top, top - kLinePitch);
                        PutText(list, kVerdictX, top, line, room);
                      }});
  b.rows.push_back({8, [](DisplayList& list, int top) {
                      DrawBoxSides(list, top, top - 2);
                      list.line({kHoldPageLeft, top - 2}, {kHoldPageRight, top - 2}, kPrintFramePen);
                    }});
  return b;
}

std::string ElapsedText(double seconds) {
  if (!std::isfinite(seconds) || std::fabs(seconds) > 1e9) return "-";
  return FormatDuration(static_cast<int>(std::lround(seconds)));
}

Block CheckpointsBlock(const HoldPageInput& in) {
  const HoldResult& r = in.test.result;
  static constexpr std::array<int, 6> columnX{-785, -735, -655, -575, -445, -315};
  Block b;
  b.keepTogether = true;
  b.gapBefore = 10;
  b.rows.push_back({kTablePitch + 4, [](DisplayList& list, int top) {
                      PutText(list, kHoldPageLeft, top, "Checkpoints", 200);
                    }});
  b.rows.push_back({kTablePitch + 4, [](DisplayList& list, int top) {
                      constexpr std::array<const char*, 6> heads{"No.", "Time", "Elapsed", "Value", "Change", ""};
                      for (std::size_t c = 0; c < heads.size(); ++c) PutText(list, columnX[c], top, heads[c], 70);
                      list.line({kHoldPageLeft, top - kLabelHeight - 2}, {kHoldPageRight, top - kLabelHeight - 2},
                                kFillInPen);
                    }});
  const bool noReading = r.startSample < 0;
  const std::size_t shown = std::min<std::size_t>(r.checkpoints.size(), kMaxCheckpoints);
  for (std::size_t k = 0; k < shown; ++k) {
    const HoldCheckpoint& cp = r.checkpoints[k];
    const bool read = cp.sample >= 0 && !noReading;
    const std::array<std::string, 6> cells{
        std::to_string(k + 1),
        Shown(cp.time),
        ElapsedText(cp.seconds),
        read ? Shown(HoldReadingText(r, cp.value)) : std::string(noReading ? "-" : "no reading"),
        read ? Shown(HoldSignedAmountText(r, cp.change)) : std::string(),
        cp.steeper ? "steeper than the step before" : ""};
    b.rows.push_back({kTablePitch, [cells](DisplayList& list, int top) {
                        for (std::size_t c = 0; c < cells.size(); ++c) {
                          const int right = c + 1 < columnX.size() ? columnX[c + 1] : kHoldPageRight;
                          PutText(list, columnX[c], top, cells[c], right - columnX[c] - 5);
                        }
                      }});
  }
  return b;
}

Block ChartBlock(const HoldPageInput& in) {
  Block b;
  b.keepTogether = true;
  b.gapBefore = 6;
  b.rows.push_back({kChartRoomAbove + kChartHeight + kChartRoomBelow, [&in](DisplayList& list, int top) {
                      const int boxTop = top - kChartRoomAbove;
                      DrawHoldChart(in, ChartBox{kHoldPageLeft + 80, kHoldPageRight, boxTop - kChartHeight, boxTop},
                                    list);
                    }});
  return b;
}

// Lines to sign on and to date, for the operator and the witness, their names under
// them in full; kept on one page with them.
Block SignaturesBlock(const HoldRecord& record) {
  constexpr int signRoom = kColumnWidth - 150;
  static constexpr std::array<const char*, 2> kSigned{"Operator's signature", "Witness's signature"};
  const std::array<std::vector<std::string>, 2> names{ShownLines(record.operatorName, signRoom),
                                                      ShownLines(record.witness, signRoom)};
  const std::size_t lines = std::max<std::size_t>({1, names[0].size(), names[1].size()});
  Block b;
  b.keepTogether = true;
  b.gapBefore = 4;
  for (std::size_t k = 0; k < lines; ++k) {
    const bool first = k == 0;
    std::array<std::string, 2> shown;
    for (std::size_t p = 0; p < 2; ++p)
      if (k < names[p].size()) shown[p] = names[p][k];
    b.rows.push_back({first ? kSignRoom + 20 + kLinePitch : kLinePitch, [first, shown](DisplayList& list, int top) {
                        for (std::size_t p = 0; p < 2; ++p) {
                          const int x = kHoldPageLeft + static_cast<int>(p) * (kColumnWidth + kColumnGap);
                          const int signRight = x + signRoom;
                          int nameTop = top;
                          if (first) {
                            const int lineY = top - kSignRoom;
                            list.line({x, lineY}, {signRight, lineY}, kPrintFramePen);
                            list.line({signRight + 20, lineY}, {x + kColumnWidth, lineY}, kPrintFramePen);
                            PutText(list, x, lineY - 5, kSigned[p], signRoom);
                            PutText(list, signRight + 20, lineY - 5, "Date", 120);
                            nameTop = lineY - 20;
                          }
                          PutText(list, x, nameTop, shown[p], signRoom);
                        }
                      }});
  }
  return b;
}

// The foot of every page, small and grey: the run's file, the record's revision and
// fingerprint and the data file's SHA-256 on the left; the page's number and when it was
// printed on the right.
struct Foot {
  std::vector<std::string> lines;
  std::string printed;

  static constexpr int kRoom = kWidth - kFootRight - 10;

  Foot(const HoldPageInput& in, std::time_t now) : printed("Printed " + FormatLocalTime(now, kPrintedFormat)) {
    const HoldTestFile& t = in.test;
    if (!in.runName.empty()) add("Run: " + in.runName);
    // Only a record as written has a revision and a fingerprint to check the page against.
    add(t.fingerprint.empty() ? std::string("Not saved as a record: no fingerprint")
                              : "Record revision " + std::to_string(t.revision) + ", fingerprint (SHA-256) " +
                                    t.fingerprint);
    if (t.run && !t.run->sha256.empty()) add("Data file SHA-256 " + t.run->sha256);
  }

  void add(const std::string& text) {
    for (std::string& l : ShownLines(text, kRoom)) lines.push_back(std::move(l));
  }

  int height() const { return std::max<int>(2, static_cast<int>(lines.size())) * kFootPitch + 8; }

  void draw(DisplayList& list, int page, int pages) const {
    const int top = kHoldPageBottom + height();
    list.line({kHoldPageLeft, top}, {kHoldPageRight, top}, kFillInPen);
    for (std::size_t k = 0; k < lines.size(); ++k)
      PutText(list, kHoldPageLeft, top - 4 - static_cast<int>(k) * kFootPitch, lines[k], kRoom,
              FontRole::kPrintLabel, false, kFootInk);
    if (pages > 1)
      PutTextEndingAt(list, kHoldPageRight, top - 4,
                      "Page " + std::to_string(page) + " of " + std::to_string(pages), kFootRight, false,
                      kFootInk);
    PutTextEndingAt(list, kHoldPageRight, top - 4 - kFootPitch, printed, kFootRight, false, kFootInk);
  }
};

// Puts the blocks down the pages, a new page under its title whenever the one before is
// full.
std::vector<DisplayList> Flow(const std::vector<Block>& blocks, int bottom) {
  std::vector<DisplayList> pages(1);
  int y = kHoldPageTop;
  bool atTop = true;
  const Block title = TitleBlock();
  const int pageRoom = kHoldPageTop - title.rows.front().height - bottom;
  auto newPage = [&] {
    pages.emplace_back();
    y = kHoldPageTop;
    title.rows.front().draw(pages.back(), y);
    y -= title.rows.front().height;
    atTop = true;
  };
  for (const Block& b : blocks) {
    if (b.rows.empty()) continue;
    if (!atTop) y -= b.gapBefore;
    int height = 0;
    for (const Row& row : b.rows) height += row.height;
    if (b.keepTogether && !atTop && y - height < bottom && height <= pageRoom) newPage();
    for (const Row& row : b.rows) {
      if (!atTop && y - row.height < bottom) newPage();
      row.draw(pages.back(), y);
      y -= row.height;
      atTop = false;
    }
  }
  return pages;
}

}  // namespace

std::vector<std::string> ShownLines(std::string_view typed, int room, bool keepLineBreaks) {
  return WrapText(ShownText(typed, keepLineBreaks), room, FontRole::kPrintLabel, INT_MAX);
}

}  // namespace hold_page

using namespace hold_page;

std::string HoldTestDateText(const HoldResult& result) {
  const std::string& start = result.startDateTime;
  if (start.empty()) return "not recorded";
  if (!ParseIsoDateTime(start)) return ShownText(start);
  std::string text = start.substr(0, 10);
  const std::string& end = result.endDateTime;
  if (ParseIsoDateTime(end) && end.compare(0, 10, text) != 0) text += " to " + end.substr(0, 10);
  const std::string offset = start.substr(19);
  return text + " (UTC" + (offset == "Z" ? "" : offset) + ")";
}

std::vector<DisplayList> BuildHoldRecordPages(const HoldPageInput& in, std::time_t now) {
  const Foot foot(in, now);
  std::vector<Block> blocks;
  blocks.push_back(OrganisationBlock(in.test.record));
  blocks.push_back(TitleBlock());
  for (Block& b : RecordBlocks(in)) blocks.push_back(std::move(b));
  blocks.push_back(NotesBlock(in.test.record));
  blocks.push_back(ResultCardBlock(in));
  blocks.push_back(CheckpointsBlock(in));
  blocks.push_back(ChartBlock(in));
  blocks.push_back(SignaturesBlock(in.test.record));
  std::vector<DisplayList> pages = Flow(blocks, kHoldPageBottom + foot.height() + 8);
  const int count = static_cast<int>(pages.size());
  for (int k = 0; k < count; ++k) foot.draw(pages[static_cast<std::size_t>(k)], k + 1, count);
  return pages;
}

}  // namespace pv
