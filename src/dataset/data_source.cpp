// DataSource attachment: the dataset keeps a list of its sources and clears their
// back pointer when it goes away, so either side may be destroyed first.
#include "dataset/data_source.h"

#include "dataset/client_data_set.h"

namespace dataset {

DataSource::~DataSource() { setDataSet(nullptr); }

void DataSource::setDataSet(ClientDataSet* ds) {
  if (ds == dataSet_) return;
  if (dataSet_) dataSet_->detachSource(this);
  dataSet_ = ds;
  if (dataSet_) dataSet_->attachSource(this);
}

}  // namespace dataset
