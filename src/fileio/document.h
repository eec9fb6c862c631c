// The tree document (.vhm): a small text file holding a tree's parameters,
// leaf outline, texture file names and material prefix, from which the same
// tree is grown again. One value per line, in the order of the parameter
// table (tree/parameter_table.h): "%d" integers and flags, "%f %f" points,
// names as text with "(null)" for an empty one; 666 closes the global block
// and 667 each of the eleven level blocks. A tree that sways adds a wind
// section after them: the line "Wind", the wind fields, and 668. A tree
// with hand edits ends with their section: the line "HandEdits", the count,
// one line per edit ("turn 0/2 15 -10") and 669 (see document_format.h).
#pragma once

#include <istream>
#include <string>

#include "tree/tree.h"

namespace vh {

// The document text for `params`, byte for byte as saved. A name that is
// empty, or blank once trimmed (it could not be read back), is written as
// "(null)". Throws std::runtime_error when the parameters cannot be stored
// faithfully: a name containing a line feed, a non-finite outline value,
// outline and texture-coordinate lists of different lengths, or a hand edit
// that CheckHandEdit refuses.
std::string FormatDocument(const TreeParameters& params);

// Writes FormatDocument(params) to `path`, beside it first and renamed into
// place when complete. Throws FileError when the file cannot be written.
void SaveDocument(const TreeParameters& params, const std::string& path);

// Reads a document from `in` into a copy of `base` and returns it; `base`
// supplies what a document does not carry (each level's levelIndex).
// `sourceName` names the document in messages.
//
// Reading follows the format's tolerance: any white space separates values,
// the header line is not checked, names are whole lines trimmed of white
// space and control characters (read whole, up to 65536 characters), and
// extra integers before a 666 or 667 marker are skipped. It is strict where
// the tolerant reading could only go wrong: a missing value, a word where a
// number is due, an outline count below 0 or above 100000, a non-finite or
// absurd outline value, and integers outside the accepted ranges of the
// parameter table throw DocumentError with the name and line. What the
// reader accepts can be grown (CheckGrowable). A name "(null)" is read as an
// empty name, and the table's guards apply: a qualityHeight of 0 is read as
// 2 and an inflateDeflate of 0 as 1, so that what is loaded is what is grown
// and saved. A document without a wind section gives wind off (the default
// wind settings); one with it gives wind on with its values, and a wind
// section that ends early or holds a value outside its range throws
// DocumentError. Hand edits are read from their section, strictly: an
// unknown kind, a malformed place, a missing or non-finite value, a value
// CheckHandEdit refuses, or a count that disagrees with the closing marker
// throws DocumentError with the line; a document without the section has
// none. Whatever else follows the last level block is ignored.
TreeParameters ParseDocument(std::istream& in, const std::string& sourceName, const TreeParameters& base);

// ParseDocument on the file `path`, with relative picture names made
// absolute against the document's folder (ResolvePictureNames of
// fileio/document_pictures.h). Throws FileError when it cannot be opened or
// is not a regular file (see foundations/input_file.h).
TreeParameters ReadDocumentFile(const std::string& path, const TreeParameters& base);

}  // namespace vh
