#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace hn {

// Called with each row of an argument in order, as 32-bit values that stay
// valid until the call returns.
using RowVisit =
    std::function<void(std::size_t row, std::span<const std::int32_t> values)>;

// The rows of an argument of the module (`name` says which, for messages):
// an integer array of two or more dimensions, each row flattened in C order
// (an image of 60 rows of 80 values is its 4800 positions, row by row), or a
// sequence of rows, each a sequence or 1-D array of integers. Anything else
// raises ValueError naming the row and the value: a value that is not an
// integer (a float, a bool, a string) or lies outside the 32-bit range, a
// row that is not a sequence. Needs the GIL.
std::size_t rowCount(pybind11::handle rows, const char* name);
void readRows(pybind11::handle rows, const char* name, const RowVisit& visit);
// One row alone (row `row` of `name`, for messages), into `values`.
void readRow(pybind11::handle item, const char* name, std::size_t row,
             std::vector<std::int32_t>& values);

}  // namespace hn
