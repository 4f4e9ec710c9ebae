// wholeOrNothing: one wrapper for the batches the host and the pages write themselves.
#include "host/services/whole_batch.h"

namespace host {

std::string wholeOrNothing(const std::string& batch) {
  return "begin try\n" + batch +
         "\nend try\nbegin catch\nif @@trancount > 0 rollback tran\n"
         "declare @why nvarchar(2048)\nset @why = error_message()\nraiserror(@why, 16, 1)\n"
         "end catch";
}

}  // namespace host
