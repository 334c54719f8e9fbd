// The running process's memory, for the benchmark's report: what is resident
// now and the most that has been, from /proc on Linux and the process's
// working set on Windows.
#pragma once

// In KiB; -1 where the system does not say.
long residentMemoryKiB();
long peakResidentMemoryKiB();
