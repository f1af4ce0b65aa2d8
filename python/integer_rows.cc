#include "python/integer_rows.h"

#include <pybind11/numpy.h>

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace py = pybind11;

namespace hn {
namespace {

std::string placeOf(const char* name, std::size_t row) {
  return std::string(name) + " row " + std::to_string(row);
}

template <typename Integer>
std::int32_t narrowed(Integer value, const char* name, std::size_t row,
                      std::size_t column) {
  if (!std::in_range<std::int32_t>(value)) {
    throw py::value_error(
        placeOf(name, row) + ", value " + std::to_string(column) + ": " +
        std::to_string(value) + " is outside the 32-bit range of the learner");
  }
  return static_cast<std::int32_t>(value);
}

bool holdsIntegers(const py::array& array) {
  const char kind = array.dtype().kind();
  return kind == 'i' || kind == 'u';
}

// The rows of a C-ordered array of `Stored` values, `width` values each;
// its first row is row `firstRow` of the argument. 32-bit values are handed
// over in place, others converted a row at a time.
template <typename Stored>
void visitStored(const py::array& contiguous, std::size_t firstRow,
                 std::size_t rows, std::size_t width, const char* name,
                 const RowVisit& visit) {
  const auto* data = static_cast<const Stored*>(contiguous.data());
  if constexpr (std::is_same_v<Stored, std::int32_t>) {
    for (std::size_t r = 0; r < rows; ++r) {
      visit(firstRow + r, {data + r * width, width});
    }
  } else {
    std::vector<std::int32_t> row(width);
    for (std::size_t r = 0; r < rows; ++r) {
      for (std::size_t c = 0; c < width; ++c) {
        row[c] = narrowed(data[r * width + c], name, firstRow + r, c);
      }
      visit(firstRow + r, row);
    }
  }
}

template <typename Signed, typename Unsigned>
void visitEither(const py::array& contiguous, std::size_t firstRow,
                 std::size_t rows, std::size_t width, const char* name,
                 const RowVisit& visit) {
  if (contiguous.dtype().kind() == 'i') {
    visitStored<Signed>(contiguous, firstRow, rows, width, name, visit);
  } else {
    visitStored<Unsigned>(contiguous, firstRow, rows, width, name, visit);
  }
}

// An integer array read in its own type, so that a large array of narrow
// values is never widened whole: it is copied only when it is not in C order
// or not in the machine's byte order (then into 64-bit values).
void visitIntegers(const py::array& array, std::size_t firstRow,
                   std::size_t rows, std::size_t width, const char* name,
                   const RowVisit& visit) {
  if (!array.dtype().attr("isnative").cast<bool>()) {
    const auto wide =
        array.dtype().kind() == 'i'
            ? py::array(py::array_t<std::int64_t>::ensure(array))
            : py::array(py::array_t<std::uint64_t>::ensure(array));
    if (!wide) throw py::error_already_set();
    return visitIntegers(wide, firstRow, rows, width, name, visit);
  }
  const py::array contiguous = py::array::ensure(array, py::array::c_style);
  if (!contiguous) throw py::error_already_set();
  switch (contiguous.itemsize()) {
    case 1:
      return visitEither<std::int8_t, std::uint8_t>(contiguous, firstRow, rows,
                                                    width, name, visit);
    case 2:
      return visitEither<std::int16_t, std::uint16_t>(contiguous, firstRow,
                                                      rows, width, name, visit);
    case 4:
      return visitEither<std::int32_t, std::uint32_t>(contiguous, firstRow,
                                                      rows, width, name, visit);
    default:
      return visitEither<std::int64_t, std::uint64_t>(contiguous, firstRow,
                                                      rows, width, name, visit);
  }
}

void readArray(const py::array& array, const char* name,
               const RowVisit& visit) {
  if (!holdsIntegers(array)) {
    throw py::value_error(std::string(name) + " must hold integers, not " +
                          std::string(py::str(array.dtype())));
  }
  const std::size_t rows = static_cast<std::size_t>(array.shape(0));
  std::size_t width = 1;
  for (py::ssize_t axis = 1; axis < array.ndim(); ++axis) {
    width *= static_cast<std::size_t>(array.shape(axis));
  }
  visitIntegers(array, 0, rows, width, name, visit);
}

bool isText(py::handle object) {
  return py::isinstance<py::str>(object) || py::isinstance<py::bytes>(object);
}

std::int32_t integerOf(py::handle value, const char* name, std::size_t row,
                       std::size_t column) {
  // bool is an int to Python, but never a word or an image value.
  if (PyBool_Check(value.ptr()) || !PyIndex_Check(value.ptr())) {
    throw py::value_error(placeOf(name, row) + ", value " +
                          std::to_string(column) + ": " +
                          std::string(py::repr(value)) + " is not an integer");
  }
  const py::object integer =
      py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
  if (!integer) throw py::error_already_set();
  int overflow = 0;
  const long long wide = PyLong_AsLongLongAndOverflow(integer.ptr(), &overflow);
  if (overflow != 0 || !std::in_range<std::int32_t>(wide)) {
    throw py::value_error(placeOf(name, row) + ", value " +
                          std::to_string(column) + ": " +
                          std::string(py::repr(value)) +
                          " is outside the 32-bit range of the learner");
  }
  return static_cast<std::int32_t>(wide);
}

}  // namespace

void readRow(py::handle item, const char* name, std::size_t row,
             std::vector<std::int32_t>& values) {
  values.clear();
  if (py::isinstance<py::array>(item)) {
    const auto array = py::reinterpret_borrow<py::array>(item);
    if (array.ndim() != 1) {
      throw py::value_error(placeOf(name, row) + " has " +
                            std::to_string(array.ndim()) +
                            " dimensions; a row is a 1-D sequence");
    }
    if (!holdsIntegers(array)) {
      throw py::value_error(placeOf(name, row) + " must hold integers, not " +
                            std::string(py::str(array.dtype())));
    }
    visitIntegers(array, row, 1, static_cast<std::size_t>(array.shape(0)), name,
                  [&values](std::size_t, std::span<const std::int32_t> row) {
                    values.assign(row.begin(), row.end());
                  });
    return;
  }
  if (isText(item) || !PySequence_Check(item.ptr())) {
    throw py::value_error(placeOf(name, row) + ": " +
                          std::string(py::repr(item)) +
                          " is not a sequence of integers");
  }
  const py::sequence sequence = py::reinterpret_borrow<py::sequence>(item);
  std::size_t column = 0;
  for (const py::handle value : sequence) {
    values.push_back(integerOf(value, name, row, column++));
  }
}

std::size_t rowCount(py::handle rows, const char* name) {
  if (py::isinstance<py::array>(rows)) {
    const auto array = py::reinterpret_borrow<py::array>(rows);
    if (array.ndim() >= 2 || array.dtype().kind() == 'O') {
      return static_cast<std::size_t>(array.shape(0));
    }
  } else if (!isText(rows) && PySequence_Check(rows.ptr())) {
    return py::len(rows);
  }
  throw py::value_error(std::string(name) +
                        " must be a 2-D integer array or a sequence of "
                        "integer sequences, one per row");
}

void readRows(py::handle rows, const char* name, const RowVisit& visit) {
  const std::size_t count = rowCount(rows, name);
  if (py::isinstance<py::array>(rows)) {
    const auto array = py::reinterpret_borrow<py::array>(rows);
    if (array.dtype().kind() != 'O') return readArray(array, name, visit);
  }
  const py::sequence sequence = py::reinterpret_borrow<py::sequence>(rows);
  std::vector<std::int32_t> values;
  for (std::size_t row = 0; row < count; ++row) {
    readRow(sequence[row], name, row, values);
    visit(row, values);
  }
}

}  // namespace hn
