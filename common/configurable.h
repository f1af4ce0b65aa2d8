#pragma once

#include <cstdint>
#include <iostream>
#include <map>
#include <string>

// Text parameters of a configurable object. Values are stored as given and
// converted only when the owner reads its parameters, so a value set later
// takes effect at the owner's next read.
class Configurable {
 public:
  void set(const std::string& key, const std::string& value);

  // Not const: a key that is not present is added with the empty text.
  std::string get(const std::string& key);

  // `get`, converted by the C `atoi` rules (texts beyond the 32-bit range
  // saturate instead of being undefined).
  std::int32_t getInt(const std::string& key);

  // `get`, converted by the C `atof` rules.
  double getReal(const std::string& key);

  // One line: "Parameters :: " then "key: value, " per entry in key order.
  void printParameters(std::ostream& out = std::cout) const;

  static std::string intToText(std::int32_t number);

  std::map<std::string, std::string> parameters;
};
