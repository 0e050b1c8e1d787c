// Bad files: each is rejected with a message that names the file and the
// problem, and leaves the mesh empty.
#include <gtest/gtest.h>

#include "xfile/xfile.hpp"
#include "xfile_writer.hpp"

namespace {

using xtest::Bytes;

const std::string GOOD = R"(xof 0303txt 0032
Material Shared { 1.0;1.0;1.0;1.0;; 4.0; 1.0;1.0;1.0;; 0.0;0.0;0.0;; }
Frame F {
 FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,0.0,1.0;; }
 Mesh M {
  4; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;0.0;1.0;, 0.0;0.0;1.0;;
  2; 3;0,1,2;, 3;0,2,3;;
  MeshNormals { 1; 0.0;1.0;0.0;; 2; 3;0,0,0;, 3;0,0,0;; }
  MeshTextureCoords { 4; 0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;; }
  MeshMaterialList { 2; 2; 0, 1;;
   { Shared }
   Material { 1.0;0.0;0.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { "t.bmp"; } }
  }
 }
}
)";

// Fills `out` first so that the test sees it emptied.
void expectRejected(const Bytes& file, const std::string& problem) {
  XMesh m;
  m.vertices.resize(2);
  m.indices = {0, 1, 1};
  m.materials.resize(1);
  std::string error;
  EXPECT_FALSE(xtest::parse(file, m, error));
  EXPECT_TRUE(m.vertices.empty() && m.indices.empty() && m.attributes.empty() &&
              m.materials.empty() && m.adjacency.empty());
  EXPECT_EQ(error.rfind("test.x: ", 0), 0u) << error;
  EXPECT_NE(error.find(problem), std::string::npos) << "message: " << error;
}

void expectTextRejected(const std::string& text, const std::string& problem) {
  SCOPED_TRACE(text.substr(std::min<size_t>(16, text.size()), 60));
  expectRejected(xtest::textFile(text), problem);
}

std::string replaced(std::string s, const std::string& from, const std::string& to) {
  const size_t at = s.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) s.replace(at, from.size(), to);
  return s;
}

TEST(XFileBadInput, TheGoodFileReads) {
  XMesh m;
  std::string error;
  ASSERT_TRUE(xtest::parse(xtest::textFile(GOOD), m, error)) << error;
  EXPECT_EQ(m.faceCount(), 2u);
}

TEST(XFileBadInput, MissingEmptyAndWrongHeaderFiles) {
  XMesh m;
  m.vertices.resize(1);
  std::string error;
  EXPECT_FALSE(readXFile("/nonexistent/folder/car.x", m, error));
  EXPECT_TRUE(m.vertices.empty());
  EXPECT_NE(error.find("/nonexistent/folder/car.x: cannot open"), std::string::npos) << error;

  EXPECT_FALSE(readXFile(XFILE_CORPUS_DIR, m, error));
  EXPECT_NE(error.find("is a folder"), std::string::npos) << error;

  expectRejected({}, "empty");
  expectTextRejected("xof 0303txt", "not a .x file");
  expectRejected(xtest::textFile("xof 0303txt 0032"), "holds no mesh");
  expectTextRejected(replaced(GOOD, "xof ", "xog "), "not a .x file");
  expectTextRejected(replaced(GOOD, "0303", "03a3"), "not a .x file");
  expectTextRejected(replaced(GOOD, "txt ", "txz "), "unknown .x format \"txz \"");
  expectTextRejected(replaced(GOOD, "0032", "0016"), "float size");
}

// Every prefix of a file that stops before its last '}' (text and binary) or
// its last byte (compressed) is rejected.
TEST(XFileBadInput, EveryTruncationIsRejected) {
  const Bytes text = xtest::textFile(GOOD);
  const size_t lastBrace = GOOD.rfind('}');
  for (size_t n = 0; n < lastBrace; ++n) {
    SCOPED_TRACE("text cut at " + std::to_string(n));
    expectRejected(Bytes(text.begin(), text.begin() + static_cast<long>(n)), "");
  }
  for (const Bytes& whole : {xtest::binaryFile(GOOD), xtest::binaryFile(GOOD, true),
                             xtest::textZipFile(GOOD, 100), xtest::binaryZipFile(GOOD)}) {
    for (size_t n = 0; n < whole.size(); ++n) {
      SCOPED_TRACE("cut at " + std::to_string(n) + " of " + std::to_string(whole.size()));
      expectRejected(Bytes(whole.begin(), whole.begin() + static_cast<long>(n)), "");
    }
  }
}

TEST(XFileBadInput, CountsLargerThanTheBytesLeft) {
  expectTextRejected(replaced(GOOD, "4; 0.0", "4000000000; 0.0"), "declares 4000000000 vertices");
  expectTextRejected(replaced(GOOD, "2; 3;0,1,2;", "3000000000; 3;0,1,2;"),
                     "declares 3000000000 faces");
  expectTextRejected(replaced(GOOD, "3;0,1,2;", "2000000000;0,1,2;"), "face corners");
  expectTextRejected(replaced(GOOD, "1; 0.0;1.0;0.0;;", "900000000; 0.0;1.0;0.0;;"), "normals");
  expectTextRejected(replaced(GOOD, "2; 2; 0, 1;;", "2; 800000000; 0, 1;;"),
                     "face material indices");
  expectTextRejected(replaced(GOOD, "4; 0.0;0.0;, 1.0", "700000000; 0.0;0.0;, 1.0"),
                     "texture coordinates");
  expectTextRejected(replaced(GOOD, "4; 0.0", "99999999999; 0.0"), "too large");

  // Binary lists and records whose counts run past the end.
  Bytes b = xtest::binaryFile(GOOD);
  Bytes list = b;
  for (size_t i = 16; i + 6 <= list.size(); ++i)
    if (list[i] == 7 && list[i + 1] == 0) {  // the first float list
      xtest::Bytes huge;
      xtest::put32(huge, 0x3FFFFFFF);
      std::copy(huge.begin(), huge.end(), list.begin() + static_cast<long>(i) + 2);
      break;
    }
  expectRejected(list, "runs past the end");
  Bytes name = b;
  for (size_t i = 16; i + 6 <= name.size(); ++i)
    if (name[i] == 1 && name[i + 1] == 0) {  // the first name
      name[i + 5] = 0x7F;
      break;
    }
  expectRejected(name, "ends inside a name");
}

TEST(XFileBadInput, IndicesOutOfRange) {
  expectTextRejected(replaced(GOOD, "3;0,2,3;;", "3;0,2,4;;"),
                     "face 1 uses vertex 4 but the mesh has 4 vertices");
  expectTextRejected(replaced(GOOD, "3;0,0,0;, 3;0,0,0;;", "3;0,0,0;, 3;0,1,0;;"),
                     "uses normal 1 but there are 1");
  expectTextRejected(replaced(GOOD, "2; 2; 0, 1;;", "2; 2; 0, 2;;"),
                     "face 1 uses material 2 but the list has 2");
  expectTextRejected(replaced(GOOD, "2; 3;0,0,0;,", "3; 3;0,0,0;,"),
                     "MeshNormals lists 3 faces but the mesh has 2");
  expectTextRejected(replaced(GOOD, "3;0,0,0;, 3;0,0,0;;", "3;0,0,0;, 4;0,0,0,0;;"),
                     "has 4 corners but the mesh face has 3");
  expectTextRejected(replaced(GOOD, "4; 0.0;0.0;, 1.0;0.0;,", "3; 0.0;0.0;, 1.0;0.0;,"),
                     "3 coordinates for 4 vertices");
  // The same checks hold in the binary form.
  expectRejected(xtest::binaryFile(replaced(GOOD, "3;0,2,3;;", "3;0,2,4;;")), "uses vertex 4");
}

std::string nested(int frames, const char* inner) {
  std::string s = "xof 0303txt 0032\n";
  for (int i = 0; i < frames; ++i) s += "Frame {\n";
  s += inner;
  for (int i = 0; i < frames; ++i) s += "}\n";
  return s;
}

TEST(XFileBadInput, NestingDeeperThan64IsRejected) {
  const char* mesh = "Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; }\n";
  XMesh m;
  std::string error;
  // 63 frames put the mesh at depth 64: still read.
  EXPECT_TRUE(xtest::parse(xtest::textFile(nested(63, mesh)), m, error)) << error;
  expectTextRejected(nested(64, mesh), "deeper than 64");
  expectRejected(xtest::binaryFile(nested(64, mesh)), "deeper than 64");
  // Skipped objects count as well, and a flood of braces stops early.
  expectTextRejected(nested(1, ("Unknown " + std::string(70, '{') + std::string(70, '}')).c_str()),
                     "deeper than 64");
  std::string flood = "xof 0303txt 0032\n";
  for (int i = 0; i < 200000; ++i) flood += "Unknown {";
  expectTextRejected(flood, "deeper than 64");
}

std::string materialList(int meshes, int perMesh) {
  std::string s = "xof 0303txt 0032\n";
  for (int k = 0; k < meshes; ++k) {
    s += "Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;;\n";
    s += "MeshMaterialList { " + std::to_string(perMesh) + "; 1; 0;;\n";
    for (int i = 0; i < perMesh; ++i)
      s += "Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n";
    s += "} }\n";
  }
  return s;
}

TEST(XFileBadInput, MoreThan500MaterialsAreRejected) {
  XMesh m;
  std::string error;
  EXPECT_TRUE(xtest::parse(xtest::textFile(materialList(2, 250)), m, error)) << error;
  EXPECT_EQ(m.materials.size(), 500u);
  expectTextRejected(materialList(1, 501), "declares 501 materials; at most 500");
  expectTextRejected(materialList(2, 251), "more than 500 materials");
  // A list that holds fewer or more materials than it declares.
  expectTextRejected(replaced(materialList(1, 3), "3; 1; 0;;", "4; 1; 0;;"),
                     "declares 4 materials but holds 3");
  expectTextRejected(replaced(materialList(1, 3), "3; 1; 0;;", "2; 1; 0;;"),
                     "declares 2 materials but holds more");
}

TEST(XFileBadInput, MalformedTokens) {
  expectTextRejected(replaced(GOOD, "\"t.bmp\"; } }", "\"t.bmp; } }"), "closing quote");
  expectTextRejected(replaced(GOOD, "1.0;0.0;1.0;, 0.0", "1.0;0.0;1.2.3;, 0.0"), "bad number");
  expectTextRejected(replaced(GOOD, "1.0;0.0;1.0;, 0.0", "1.0;0.0;1e999;, 0.0"), "bad number");
  expectTextRejected(replaced(GOOD, "4; 0.0", "4.5; 0.0"), "expected a whole number");
  expectTextRejected(replaced(GOOD, "Mesh M {", "Mesh M ["), "expected '{' after Mesh");
  expectTextRejected(GOOD + "}\n", "'}' without a matching '{'");
  expectTextRejected(
      "xof 0303txt 0032\nMesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; "
      "2;0,1;; }\n",
      "hold no triangles");
  expectTextRejected(
      "xof 0303txt 0032\nFrame { Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; "
      "0.0;0.0;0.0;; } }\n",
      "holds no mesh");
  // Binary: a token the format does not have, an integer where a float list is.
  Bytes b = xtest::binaryFile(GOOD);
  Bytes unknown = b;
  unknown[16] = 99;
  expectRejected(unknown, "unknown token 99");
  expectRejected(xtest::binaryFile(replaced(GOOD, "4; 0.0;0.0;0.0;,", "4.0; 0.0;0.0;0.0;,")),
                 "expected an integer, found a float");
}

TEST(XFileBadInput, BrokenCompressedData) {
  const Bytes good = xtest::textZipFile(GOOD, 100);
  Bytes signature = good;
  signature[24] = 'X';  // header 16, size 4, block sizes 4: then "CK"
  expectRejected(signature, "lacks its \"CK\" signature");
  Bytes corrupt = good;
  for (size_t i = 26; i < 40; ++i) corrupt[i] ^= 0x5A;
  expectRejected(corrupt, "compressed block 0 is corrupt");
  Bytes sizes = good;
  sizes[20] = static_cast<uint8_t>(sizes[20] + 1);  // block 0 claims one byte more
  expectRejected(sizes, "compressed block 0");
  Bytes huge = good;
  huge[19] = 0x7F;  // total size about 2 GiB
  expectRejected(huge, "more than the reader accepts");
  Bytes total = good;
  const uint32_t declared = total[16] | (total[17] << 8) | (total[18] << 16);
  Bytes more;
  xtest::put32(more, declared + 7);
  std::copy(more.begin(), more.end(), total.begin() + 16);
  expectRejected(total, "but the file declares");
  // A fault inside the inflated text is reported as such.
  expectRejected(xtest::textZipFile(replaced(GOOD, "3;0,2,3;;", "3;0,2,4;;")),
                 "in the uncompressed data, line 7: face 1 uses vertex 4");
}

}  // namespace
