// SPDX-License-Identifier: GPL-3.0-or-later
// A run journal left by a crash is untrusted input: any bytes either fail with a
// message or give a run of verified samples inside the store. Every sample kept must
// encode back to the very bytes it was read from, and the run it makes must save.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "chart/acquisition.h"
#include "files/datalogger_file.h"
#include "files/journal_format.h"
#include "fuzz_support.h"

using namespace pv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto store = std::make_unique<SampleStore>();
  static fuzz::ReusableModel reusable;
  auto decoded = DecodeJournal({data, size}, *store);
  if (!decoded) {
    PV_FUZZ_CHECK(!decoded.error().message.empty());
    return 0;
  }
  const DecodedJournal& d = decoded.value();
  PV_FUZZ_CHECK(d.samples >= 0 && d.samples <= kMaxSamples);
  PV_FUZZ_CHECK(kJournalHeaderSize + d.samples * kJournalSampleSize + d.droppedBytes == size);
  for (int i = 0; i < d.samples; ++i) {
    const JournalSampleBytes again = EncodeJournalSample(*store, i);
    PV_FUZZ_CHECK(std::memcmp(again.data(), data + kJournalHeaderSize + i * kJournalSampleSize, again.size()) == 0);
  }
  AppModel& m = reusable.fresh();
  reusable.touchSamples(d.samples);
  auto copy = std::make_unique<SampleStore>(*store);
  RestoreRun(m, d.header, std::move(*copy), d.samples, NullObserver());
  PV_FUZZ_CHECK(m.store.sampleCount == d.samples);
  auto saved = DecodeDataLoggerFile(EncodeDataLoggerFile(m));
  PV_FUZZ_CHECK(saved.ok() && saved.value().store.recordCount == d.samples);
  reusable.note();
  return 0;
}
