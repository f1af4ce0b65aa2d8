#include "python/assembly.h"

#include <sstream>
#include <utility>

#include "assembler/fragment.h"
#include "assembler/record_loop.h"
#include "assembler/sentence_assembly.h"
#include "assembler/sentence_writer.h"
#include "python/integer_rows.h"

namespace py = pybind11;

namespace hn {
namespace {

std::string placeOf(std::size_t record, std::size_t index) {
  return "fragments record " + std::to_string(record) + ", fragment " +
         std::to_string(index);
}

// The record's fragments that the assembler keeps, in order.
std::vector<Fragment> keptFragments(py::handle record, std::size_t number) {
  if (!PySequence_Check(record.ptr()) || py::isinstance<py::str>(record)) {
    throw py::value_error("fragments record " + std::to_string(number) +
                          " is not a sequence of (words, weight) pairs");
  }
  std::vector<Fragment> kept;
  std::size_t index = 0;
  for (const py::handle item : py::reinterpret_borrow<py::sequence>(record)) {
    const std::string place = placeOf(number, index++);
    if (!PySequence_Check(item.ptr()) || py::len(item) != 2) {
      throw py::value_error(place + " is not a (words, weight) pair");
    }
    const py::sequence pair = py::reinterpret_borrow<py::sequence>(item);
    Fragment fragment;
    fragment.weight = PyFloat_AsDouble(pair[1].ptr());
    if (fragment.weight == -1.0 && PyErr_Occurred()) {
      PyErr_Clear();
      throw py::value_error(place + ": the weight " +
                            std::string(py::repr(pair[1])) +
                            " is not a number");
    }
    if (!(fragment.weight >= kMinimumWeight)) continue;
    readRow(pair[0], "fragments", number, fragment.values);
    kept.push_back(std::move(fragment));
  }
  return kept;
}

}  // namespace

std::vector<std::string> assemble(py::handle records,
                                  const std::vector<std::string>& dictionary,
                                  bool wholeFirstFragment) {
  const Seeding seeding =
      wholeFirstFragment ? Seeding::kWholeFragment : Seeding::kAllButLastValue;
  if (!PySequence_Check(records.ptr()) || py::isinstance<py::str>(records)) {
    throw py::value_error(
        "fragments must be a sequence of records, one per image");
  }
  std::vector<std::string> lines;
  std::size_t number = 0;
  for (const py::handle record :
       py::reinterpret_borrow<py::sequence>(records)) {
    std::ostringstream line;
    writeSentence(assembleSentence(keptFragments(record, number++), seeding),
                  dictionary, line);
    std::string text = std::move(line).str();
    text.pop_back();  // the line break
    lines.push_back(std::move(text));
  }
  return lines;
}

}  // namespace hn
