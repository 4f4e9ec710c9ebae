// StorageFault: the file under the embedded database gave way while a batch ran (the
// disk was full, a read or write failed, the file is damaged). Kept apart from the SQL
// errors because a CATCH may handle the error and raise its own text, and the clerk
// must still learn that retrying will not help.
#pragma once

namespace tsql {

//! In order of gravity: a later one outranks an earlier one met in the same batch.
enum class StorageFault { None, DiskFull, IoError, Damaged };

//! SQL Server's numbers for the same faults: no space left (1105), the operating system
//! failed a read or write (823), a page that reads back wrong (824).
constexpr int storageFaultNumber(StorageFault f) {
  return f == StorageFault::DiskFull ? 1105 : f == StorageFault::IoError ? 823 : 824;
}
constexpr bool isStorageFaultNumber(int n) { return n == 1105 || n == 823 || n == 824; }

}  // namespace tsql
