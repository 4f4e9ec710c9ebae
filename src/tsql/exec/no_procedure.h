// The procedure an error names when it was raised in a batch built at run time (EXEC
// of a string, sp_executesql): none, and the procedure that ran the batch does not
// claim it either. ERROR_PROCEDURE() reads it as NULL, the engine's caller as "".
#pragma once

#include <string>

namespace tsql::exec {

inline const std::string kNoProcedure = "\x01";

}  // namespace tsql::exec
