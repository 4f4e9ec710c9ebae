// DataSetError: what the client dataset raises when it is used in a way it cannot
// honour (a field that does not exist, an edit outside edit mode, a bad filter or a
// value a field cannot hold). The message names the field or the text at fault.
#pragma once

#include <stdexcept>

namespace dataset {

class DataSetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace dataset
