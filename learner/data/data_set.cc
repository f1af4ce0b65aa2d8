#include "learner/data/data_set.h"

namespace hn {

DataSet::DataSet() {
  set("order", "3");
  set("filename", "");
}

}  // namespace hn
