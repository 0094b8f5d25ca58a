#pragma once
// The process's own memory figures from /proc/self: resident size, its peak, and a reset of the peak.

#include <QtGlobal>

namespace bench {

// Resident set size now, in KiB (VmRSS); 0 where /proc is not there.
qint64 residentKb();
// The peak resident set size since the start or the last resetPeak(), in KiB (VmHWM).
qint64 peakResidentKb();
// The process's threads now (Threads).
int threadCount();
// Sets the peak back to the current resident size; false where the system does not allow it.
bool resetPeak();

} // namespace bench
