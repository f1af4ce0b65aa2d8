#include "common/configurable.h"

#include "common/number_text.h"

void Configurable::set(const std::string& key, const std::string& value) {
  parameters[key] = value;
}

std::string Configurable::get(const std::string& key) {
  return parameters[key];
}

std::int32_t Configurable::getInt(const std::string& key) {
  return hn::textToInt(get(key));
}

double Configurable::getReal(const std::string& key) {
  return hn::textToReal(get(key));
}

void Configurable::printParameters(std::ostream& out) const {
  out << "Parameters :: ";
  for (const auto& [key, value] : parameters) {
    out << key << ": " << value << ", ";
  }
  out << '\n' << std::flush;
}

std::string Configurable::intToText(std::int32_t number) {
  return std::to_string(number);
}
