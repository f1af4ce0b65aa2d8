#include "common/configurable.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

std::string printed(const Configurable& store) {
  std::ostringstream out;
  store.printParameters(out);
  return out.str();
}

TEST(ConfigurableParameters, SetReplacesAndPrintsInKeyOrder) {
  Configurable store;
  store.set("order2", "1");
  store.set("order", "3");
  store.set("maxepoch", "9");
  store.set("order", "4");
  EXPECT_EQ("Parameters :: maxepoch: 9, order: 4, order2: 1, \n",
            printed(store));
}

TEST(ConfigurableParameters, EmptyStorePrintsTheHeaderAlone) {
  EXPECT_EQ("Parameters :: \n", printed(Configurable{}));
}

TEST(ConfigurableParameters, GetOfAMissingKeyInsertsIt) {
  Configurable store;
  EXPECT_EQ("", store.get("perLine"));
  EXPECT_EQ("Parameters :: perLine: , \n", printed(store));
}

TEST(ConfigurableParameters, GetIntFollowsAtoiRules) {
  const struct {
    const char* text;
    std::int32_t want;
  } cases[] = {
      {"1", 1},
      {"01", 1},
      {"3abc", 3},
      {"abc", 0},
      {"2.7", 2},
      {"  \t-12", -12},
      {"+5", 5},
      {"", 0},
      {"- 5", 0},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"99999999999999999999", 2147483647},
      {"-99999999999999999999", -2147483647 - 1},
  };
  for (const auto& c : cases) {
    Configurable store;
    store.set("k", c.text);
    EXPECT_EQ(c.want, store.getInt("k")) << '"' << c.text << '"';
  }
}

TEST(ConfigurableParameters, GetRealFollowsAtofRules) {
  const struct {
    const char* text;
    double want;
  } cases[] = {
      {"0.5", 0.5}, {" -2.5e1x", -25.0}, {"abc", 0.0},
      {"", 0.0},    {"3", 3.0},          {".25", 0.25},
  };
  for (const auto& c : cases) {
    Configurable store;
    store.set("k", c.text);
    EXPECT_DOUBLE_EQ(c.want, store.getReal("k")) << '"' << c.text << '"';
  }
}

TEST(ConfigurableParameters, IntToTextIsPlainDecimal) {
  EXPECT_EQ("-7", Configurable::intToText(-7));
  EXPECT_EQ("12", Configurable::intToText(12));
  EXPECT_EQ("0", Configurable::intToText(0));
}

}  // namespace
