// Randomly damaged documents: the reader either loads them or throws a
// DocumentError; whatever it loads can be grown, saved and read again.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "fileio/document.h"
#include "fileio/document_error.h"
#include "tree/parameter_table.h"

namespace vh {
namespace {

std::string Seed() {
  TreeParameters params(3);
  params.leafOutline = {{0, -20}, {10, 0}, {0, 30}, {-10, 0}};
  params.leafTexCoords = {{0.5f, 0}, {1, 0.5f}, {0.5f, 1}, {0, 0.5f}};
  params.barkTextureFile = "C:\\bark\\old oak.jpg";
  return FormatDocument(params);
}

// One random edit of the kinds that real damage produces.
void Mutate(std::string& text, std::mt19937& random) {
  auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(random); };
  static const char* const kTokens[] = {"666",    "667", "0",   "-1",   "2147483648", "-2147483649", "1e39",
                                        "nan",    "x",   "\n",  " ",    "\r\n",       "\t",          "99999",
                                        "(null)", "+7",  "--3", "0x10", "1.5"};
  const std::size_t at = pick(text.size());
  switch (pick(5)) {
    case 0:  // delete a run
      text.erase(at, pick(40));
      break;
    case 1:  // insert a token
      text.insert(at, kTokens[pick(std::size(kTokens) - 1)]);
      break;
    case 2:  // overwrite a byte with anything
      if (!text.empty()) text[at % text.size()] = static_cast<char>(pick(255));
      break;
    case 3:  // truncate
      text.resize(at);
      break;
    case 4: {  // duplicate a run
      const std::string run = text.substr(at, pick(60));
      text.insert(pick(text.size()), run);
      break;
    }
    default:  // flip a digit
      if (!text.empty() && std::isdigit(static_cast<unsigned char>(text[at % text.size()])))
        text[at % text.size()] = static_cast<char>('0' + pick(9));
      break;
  }
}

TEST(DocumentMutation, DamagedDocumentsLoadOrFailCleanly) {
  const std::string seed = Seed();
  std::mt19937 random(2026);
  int loaded = 0, refused = 0;
  for (int i = 0; i < 4000; ++i) {
    std::string text = seed;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits; ++e) Mutate(text, random);
    std::istringstream in(text);
    try {
      const TreeParameters params = ParseDocument(in, "mutant.vhm", TreeParameters());
      ++loaded;
      // Whatever is accepted must be growable, and saving it must be stable
      // (outline values are rounded to six decimals by the first save).
      ASSERT_EQ(CheckGrowable(params), "") << text;
      const std::string saved = FormatDocument(params);
      std::istringstream again(saved);
      ASSERT_EQ(FormatDocument(ParseDocument(again, "again.vhm", TreeParameters())), saved) << text;
    } catch (const DocumentError& error) {
      ++refused;
      ASSERT_NE(std::string(error.what()).find("mutant.vhm, line "), std::string::npos);
    }
  }
  // Both outcomes must occur, or the mutations test nothing.
  EXPECT_GT(loaded, 100);
  EXPECT_GT(refused, 100);
}

}  // namespace
}  // namespace vh
