// The model file reader, on small files written by the tests: what each kind of line stores,
// where, and what the reader does with files that are missing, cut short, too large or
// garbage. Every file is read both through loadModel (as "head.obj" in the working directory)
// and through readModel on an in-memory stream.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "assets/model.h"
#include "process.h"

using namespace std::string_literals;

namespace {

// Runs in `dir` as the working directory while it lives.
class WorkingDirectory {
  public:
    explicit WorkingDirectory(const std::string &dir) {
        char here[4096];
        if (getcwd(here, sizeof here) == nullptr || chdir(dir.c_str()) != 0) {
            throw std::runtime_error("cannot change to " + dir);
        }
        previous_ = here;
    }
    ~WorkingDirectory() {
        if (chdir(previous_.c_str()) != 0) {
            std::abort();
        }
    }
    WorkingDirectory(const WorkingDirectory &) = delete;
    WorkingDirectory &operator=(const WorkingDirectory &) = delete;

  private:
    std::string previous_;
};

// Writes `text` as head.obj into a fresh directory and runs loadModel there.
void loadFromFile(const std::string &text) {
    const TempDir dir;
    writeFile(dir.file("head.obj"), text);
    const WorkingDirectory inDir(dir.path());
    loadModel();
}

// Hands `text` to readModel as an open stream, for slot 1.
void readFromMemory(const std::string &text) {
    std::string buffer = text;
    FILE *stream = fmemopen(buffer.data(), buffer.size(), "r");
    ASSERT_NE(stream, nullptr);
    readModel(loadedSlot, stream);
    (void)fclose(stream);
}

enum Kind { Vertex, Texture, Normal, Face };

// A record that the reader must store: its kind, its entry, and its numbers (x y z, u v, or
// the nine numbers of a face, corner by corner).
struct Record {
    Kind kind;
    int entry;
    std::vector<double> values;
};

struct Expected {
    int counts[4];  // i1 .. i4
    int faceCount;  // f_celkem[1]
    bool endMarker; // err
    std::vector<Record> records;
};

// The records expected, by kind and entry.
using RecordIndex = std::map<std::pair<int, int>, const Record *>;

// The record expected in an entry of `slot`, or null when the entry must hold zeros.
const Record *findRecord(const RecordIndex &index, int slot, Kind kind, int entry) {
    const auto it = index.find({kind, entry});
    return slot == loadedSlot && it != index.end() ? it->second : nullptr;
}

void expectFloats(const RecordIndex &index, int slot, Kind kind, int entry, const float *record,
                  int elements) {
    const Record *r = findRecord(index, slot, kind, entry);
    for (int k = 0; k < elements; k++) {
        const float want = r != nullptr && k > 0 ? static_cast<float>(r->values[k - 1]) : 0.0f;
        EXPECT_EQ(record[k], want)
            << "kind " << kind << " slot " << slot << " entry " << entry << " element " << k;
    }
}

void expectFace(const RecordIndex &index, int slot, int entry) {
    const Record *r = findRecord(index, slot, Face, entry);
    for (int corner = 0; corner < 4; corner++) {
        for (int k = 0; k < 4; k++) {
            const bool used = r != nullptr && corner > 0 && k > 0;
            const long long want =
                used ? static_cast<long long>(r->values[(corner - 1) * 3 + k - 1]) : 0;
            EXPECT_EQ(faces[slot][entry][corner][k], want)
                << "slot " << slot << " face " << entry << " corner " << corner << " element " << k;
        }
    }
}

// Checks the counts and every entry of both slots: the records expected hold their numbers,
// and every other element is zero.
void expectStore(const Expected &e) {
    EXPECT_EQ(i1, e.counts[0]);
    EXPECT_EQ(i2, e.counts[1]);
    EXPECT_EQ(i3, e.counts[2]);
    EXPECT_EQ(i4, e.counts[3]);
    EXPECT_EQ(f_celkem[1], e.faceCount);
    EXPECT_EQ(f_celkem[0], 0);
    EXPECT_EQ(err, e.endMarker ? 1 : 0);
    EXPECT_EQ(in, nullptr) << "no file is left open";

    RecordIndex index;
    for (const Record &r : e.records) {
        index[{r.kind, r.entry}] = &r;
    }
    for (int slot = 0; slot < modelSlotCount; slot++) {
        for (int entry = 0; entry < vertexCapacity; entry++) {
            expectFloats(index, slot, Vertex, entry, vertex[slot][entry], 4);
            expectFloats(index, slot, Texture, entry, Tvertex[slot][entry], 3);
            expectFloats(index, slot, Normal, entry, Nvector[slot][entry], 4);
        }
        for (int entry = 0; entry < faceCapacity; entry++) {
            expectFace(index, slot, entry);
        }
    }
}

struct ReaderCase {
    const char *name;
    std::string text;
    Expected expected;
};

std::string withCrLf(const std::string &text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

// `start` padded with blanks to `length` characters.
std::string padded(const std::string &start, size_t length) {
    return start + std::string(length - start.size(), ' ');
}

const std::string nineLines = "v 1 2 3\n"
                              "v 4 5 6\n"
                              "v 7 8 9\n"
                              "vt 0 0\n"
                              "vt 1 0\n"
                              "vt 1 1\n"
                              "vn 0 0 1\n"
                              "f 1/1/1 2/2/1 3/3/1\n"
                              "@\n";

const Expected nineLineStore = {{3, 3, 1, 1},
                                1,
                                true,
                                {{Vertex, 1, {1, 2, 3}},
                                 {Vertex, 2, {4, 5, 6}},
                                 {Vertex, 3, {7, 8, 9}},
                                 {Texture, 1, {0, 0}},
                                 {Texture, 2, {1, 0}},
                                 {Texture, 3, {1, 1}},
                                 {Normal, 1, {0, 0, 1}},
                                 {Face, 1, {1, 1, 1, 2, 2, 1, 3, 3, 1}}}};

// Two vertices, two texture vertices and a normal, whatever the order of their lines.
const Expected mixedOrderStore = {{2, 2, 1, 0},
                                  0,
                                  true,
                                  {{Vertex, 1, {1, 2, 3}},
                                   {Vertex, 2, {4, 5, 6}},
                                   {Texture, 1, {0.5, 0.25}},
                                   {Texture, 2, {1, 0.75}},
                                   {Normal, 1, {0, 1, 0}}}};

const ReaderCase readerCases[] = {
    {"NineLineExample", nineLines, nineLineStore},
    {"CrLfLineEnds", withCrLf(nineLines), nineLineStore},
    {"FaceLines",
     "f 1/1/1 2/2/2 3/3/3 4/4/4\n"
     "f 1//1 2//2 3//3\n"
     "f 1 2 3\n"
     "f1/1/1 2/2/2 3/3/3\n"
     "f 7/8\n"
     "f/1/1/1 2/2/2 3/3/3\n"
     "@\n",
     {{0, 0, 0, 6},
      6,
      true,
      {{Face, 1, {1, 1, 1, 2, 2, 2, 3, 3, 3}},
       {Face, 2, {1, 1, 2, 2, 3, 3, 0, 0, 0}},
       {Face, 3, {1, 2, 3, 0, 0, 0, 0, 0, 0}},
       {Face, 4, {1, 0, 0, 0, 0, 0, 0, 0, 0}},
       {Face, 5, {7, 8, 0, 0, 0, 0, 0, 0, 0}}}}},
    {"FaceLinesWithoutNumbers", "f\nf \nfoo 1 2\nf x/y/z 1/2/3\n@\n", {{0, 0, 0, 4}, 4, true, {}}},
    {"VertexWithoutBlank",
     "v1 2 3\nvt0.5 0.25\nvn0 0 -1\n@\n",
     {{1, 1, 1, 0},
      0,
      true,
      {{Vertex, 1, {1, 2, 3}}, {Texture, 1, {0.5, 0.25}}, {Normal, 1, {0, 0, -1}}}}},
    {"TextureVertexWithThreeNumbers",
     "vt 0.25 0.75 0\n@\n",
     {{0, 1, 0, 0}, 0, true, {{Texture, 1, {0.25, 0.75}}}}},
    {"ExtraNumbersIgnored",
     "v 1 2 3 4\nvn 0 0 1 9\n@\n",
     {{1, 0, 1, 0}, 0, true, {{Vertex, 1, {1, 2, 3}}, {Normal, 1, {0, 0, 1}}}}},
    {"OtherLinesIgnored",
     "# comment\n\n  v 9 9 9\nV 9 9 9\ng head\no robot\ns 1\nusemtl green\n\tf 1 1 1\n"
     "v 1 2 3\n@\n",
     {{1, 0, 0, 0}, 0, true, {{Vertex, 1, {1, 2, 3}}}}},
    {"AnyOtherSecondLetterIsAVertex", "vp 1 2 3\nv\n@\n", {{2, 0, 0, 0}, 0, true, {}}},
    {"LinesAfterEndMarkerNeverRead",
     "v 1 2 3\n@ end\nv 4 5 6\nvt 1 1\nvn 0 1 0\nf 1/1/1 1/1/1 1/1/1\n@\n",
     {{1, 0, 0, 0}, 0, true, {{Vertex, 1, {1, 2, 3}}}}},
    {"EndMarkerFirst", "@\nv 1 2 3\nf 1 1 1\n", {{0, 0, 0, 0}, 0, true, {}}},
    {"VerticesFirst", "v 1 2 3\nv 4 5 6\nvt 0.5 0.25\nvt 1 0.75\nvn 0 1 0\n@\n", mixedOrderStore},
    {"VerticesLast", "vt 0.5 0.25\nvn 0 1 0\nvt 1 0.75\nv 1 2 3\nv 4 5 6\n@\n", mixedOrderStore},
    {"VerticesBetween", "vn 0 1 0\nvt 0.5 0.25\nv 1 2 3\nvt 1 0.75\nv 4 5 6\n@\n", mixedOrderStore},
    // 126 characters make a whole piece: the rest of the line is tested as a line of its own.
    {"LongLineReadInPieces",
     padded("v 1 2 3", 126) + "v 4 5 6\n" + padded("# a comment", 126) + "f 4/5/6 7/8/9 1/2/3\n" +
         padded("v 7 8 9", 125) + "v 1 1 1\n@\n",
     {{3, 0, 0, 1},
      1,
      true,
      {{Vertex, 1, {1, 2, 3}},
       {Vertex, 2, {4, 5, 6}},
       {Vertex, 3, {7, 8, 9}},
       {Face, 1, {4, 5, 6, 7, 8, 9, 1, 2, 3}}}}},
    // The slashes of a face line cut into pieces are replaced up to the end of the first piece.
    {"LongFaceLineCut",
     padded("f 1/2/3 4/5/6", 123) + "7/8/9\n@\n",
     {{0, 0, 0, 1}, 1, true, {{Face, 1, {1, 2, 3, 4, 5, 6, 7, 8, 0}}}}},
    // The mesh read up to the end of the file is kept.
    {"EndOfFileWithoutMarker",
     "v 1 2 3\nv 4 5 6\nv 7 8 9\nf 1 2 3\n",
     {{3, 0, 0, 1},
      1,
      false,
      {{Vertex, 1, {1, 2, 3}},
       {Vertex, 2, {4, 5, 6}},
       {Vertex, 3, {7, 8, 9}},
       {Face, 1, {1, 2, 3, 0, 0, 0, 0, 0, 0}}}}},
    {"LastLineWithoutNewline",
     "v 1 2 3\nf 1/0/0 1/0/0 1/0/0",
     {{1, 0, 0, 1}, 1, false, {{Vertex, 1, {1, 2, 3}}, {Face, 1, {1, 0, 0, 1, 0, 0, 1, 0, 0}}}}},
    {"EmptyFile", "", {{0, 0, 0, 0}, 0, false, {}}},
    // A NUL byte ends the text of its line: what follows it up to the newline is not seen.
    {"NulBytes",
     "v 1 2 3\0v 4 5 6\nv 7 8 9\n\0\0\0\nf 1/1/1\0 2/2/2 3/3/3\nf\0 5 5 5\n@\n"s,
     {{2, 0, 0, 2},
      2,
      true,
      {{Vertex, 1, {1, 2, 3}}, {Vertex, 2, {7, 8, 9}}, {Face, 1, {1, 1, 1, 0, 0, 0, 0, 0, 0}}}}},
    // Numbers are stored as written; those beyond 32 bits as the largest int of their sign.
    {"FaceNumbersOutOfRange",
     "f -1/-2/-3 10000/99999/2147483647 -2147483648/0/9999\n"
     "f 2147483648/-2147483649/4294967297 99999999999999999999/-99999999999999999999/"
     "00000000000000000012\n"
     "f +5/-0/0000000000000 0-7/1--2\n"
     "@\n",
     {{0, 0, 0, 3},
      3,
      true,
      {{Face, 1, {-1, -2, -3, 10000, 99999, INT_MAX, INT_MIN, 0, 9999}},
       {Face, 2, {INT_MAX, INT_MIN, INT_MAX, INT_MAX, INT_MIN, 12, 0, 0, 0}},
       {Face, 3, {5, 0, 0, 0, -7, 1, 0, 0, 0}}}}},
};

class Reader : public testing::TestWithParam<ReaderCase> {};

} // namespace

TEST_P(Reader, StoresWhatTheLinesSay) {
    // A model read before must not show through.
    loadFromFile("v 9 9 9\nvt 9 9\nvn 9 9 9\nf 9/9/9 9/9/9 9/9/9\n@\n");
    {
        SCOPED_TRACE("loadModel");
        loadFromFile(GetParam().text);
        expectStore(GetParam().expected);
    }
    {
        SCOPED_TRACE("readModel");
        readFromMemory(GetParam().text);
        expectStore(GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, Reader, testing::ValuesIn(readerCases),
                         [](const auto &info) { return std::string(info.param.name); });

// A head.obj that is missing, or cannot be read as a file, gives an empty model.
TEST(ReaderFiles, MissingOrUnreadableFileGivesNoFaces) {
    const Expected empty = {{0, 0, 0, 0}, 0, false, {}};
    {
        SCOPED_TRACE("missing");
        loadFromFile(nineLines);
        const TempDir dir;
        const WorkingDirectory inDir(dir.path());
        loadModel();
        expectStore(empty);
    }
    {
        SCOPED_TRACE("a directory");
        loadFromFile(nineLines);
        const TempDir dir;
        ASSERT_EQ(mkdir(dir.file("head.obj").c_str(), 0700), 0);
        const WorkingDirectory inDir(dir.path());
        loadModel();
        expectStore(empty);
    }
}

// Records beyond the capacity are counted and not stored; the last ones that fit are.
TEST(ReaderFiles, RecordsBeyondTheCapacityAreNotStored) {
    std::ostringstream text;
    for (int k = 1; k <= vertexCapacity + 1; k++) {
        text << "v " << k << " 0 0\nvt " << k << " 0\nvn 0 " << k << " 0\n";
    }
    for (int k = 1; k <= faceCapacity + 1; k++) {
        text << "f " << k << "/1/1 1/" << k << "/1 1/1/" << k << "\n";
    }
    text << "@\n";
    loadFromFile(text.str());

    EXPECT_EQ(i1, vertexCapacity + 1);
    EXPECT_EQ(i2, vertexCapacity + 1);
    EXPECT_EQ(i3, vertexCapacity + 1);
    EXPECT_EQ(i4, faceCapacity + 1);
    EXPECT_EQ(f_celkem[1], faceCapacity - 1);
    EXPECT_EQ(err, 1);
    const int lastVertex = vertexCapacity - 1;
    EXPECT_EQ(vertex[1][lastVertex][1], static_cast<float>(lastVertex));
    EXPECT_EQ(Tvertex[1][lastVertex][1], static_cast<float>(lastVertex));
    EXPECT_EQ(Nvector[1][lastVertex][2], static_cast<float>(lastVertex));
    const int lastFace = faceCapacity - 1;
    EXPECT_EQ(faces[1][lastFace][1][1], lastFace);
    EXPECT_EQ(faces[1][lastFace][2][2], lastFace);
    EXPECT_EQ(faces[1][lastFace][3][3], lastFace);
    // Slot 0 lies right before slot 1 and is never written.
    EXPECT_EQ(vertex[0][lastVertex][1], 0.0f);
    EXPECT_EQ(faces[0][lastFace][1][1], 0);
}

// Emptying a slot after a model that filled every entry (the last of each array included)
// leaves no byte of the slot non-zero, and so does emptying it a second time; a model read
// afterwards shows nothing of the one before.
TEST(ReaderFiles, EmptyingAfterAFullModelLeavesOnlyZeros) {
    std::ostringstream lines;
    for (int k = 1; k < vertexCapacity; k++) {
        lines << "v " << k << " " << k << " " << k << "\nvt " << k << " " << k << "\nvn " << k
              << " " << k << " " << k << "\n";
    }
    for (int k = 1; k < faceCapacity; k++) {
        const int n = k % (vertexCapacity - 1) + 1;
        lines << "f " << n << "/" << n << "/" << n << " " << n << "/" << n << "/" << n << " " << n
              << "/" << n << "/" << n << "\n";
    }
    lines << "@\n";
    const std::string text = lines.str();
    const auto nonZeroBytes = [] {
        long count = 0;
        const auto add = [&count](const void *bytes, size_t size) {
            const unsigned char *b = static_cast<const unsigned char *>(bytes);
            count += std::count_if(b, b + size, [](unsigned char c) { return c != 0; });
        };
        add(vertex[loadedSlot], sizeof vertex[loadedSlot]);
        add(Nvector[loadedSlot], sizeof Nvector[loadedSlot]);
        add(Tvertex[loadedSlot], sizeof Tvertex[loadedSlot]);
        add(faces[loadedSlot], sizeof faces[loadedSlot]);
        return count;
    };
    readFromMemory(text);
    ASSERT_EQ(f_celkem[loadedSlot], faceCapacity - 1);
    EXPECT_EQ(vertex[loadedSlot][vertexCapacity - 1][3], vertexCapacity - 1);
    EXPECT_EQ(faces[loadedSlot][faceCapacity - 1][3][3],
              (faceCapacity - 1) % (vertexCapacity - 1) + 1);
    clearModel(loadedSlot);
    EXPECT_EQ(nonZeroBytes(), 0);
    clearModel(loadedSlot);
    EXPECT_EQ(nonZeroBytes(), 0);

    readFromMemory(text);
    readFromMemory(nineLines);
    expectStore(nineLineStore);
}

// The counters stop at the largest int instead of overflowing.
TEST(ReaderFiles, CountersStopAtTheLargestInt) {
    EXPECT_EQ(countRecord(0), 1);
    EXPECT_EQ(countRecord(41), 42);
    EXPECT_EQ(countRecord(INT_MAX - 1), INT_MAX);
    EXPECT_EQ(countRecord(INT_MAX), INT_MAX);
}

// A file of one line of three megabytes is read in pieces of 126 characters, each a face line
// of its own, and only as many faces as fit are kept.
TEST(ReaderFiles, OneHugeLine) {
    std::string text;
    for (int k = 0; k < 1500000; k++) {
        text += "f/";
    }
    loadFromFile(text);
    const int pieces = static_cast<int>((text.size() + 125) / 126);
    EXPECT_EQ(i4, pieces);
    EXPECT_EQ(f_celkem[1], faceCapacity - 1);
    EXPECT_EQ(err, 0);
    long nonZero = 0;
    for (int face = 0; face < faceCapacity; face++) {
        for (int corner = 0; corner < 4; corner++) {
            for (int k = 0; k < 4; k++) {
                nonZero += faces[1][face][corner][k] != 0 ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(nonZero, 0) << "the slash right after the f ends every scan";
}

namespace {

// What walkModel hands over, as entries of slot 1's arrays (-1 for a record outside them).
struct CornerEntries {
    long normal, texture, position;
};
std::vector<CornerEntries> walked;

long entryOf(const float *record, const float *first, size_t recordSize) {
    const float *end = first + vertexCapacity * recordSize;
    if (record < first || record >= end || (record - first) % recordSize != 0) {
        return -1;
    }
    return (record - first) / static_cast<long>(recordSize);
}

void recordCorner(const float *normal, const float *texture, const float *position) {
    walked.push_back({entryOf(normal, &Nvector[1][0][0], 4), entryOf(texture, &Tvertex[1][0][0], 3),
                      entryOf(position, &vertex[1][0][0], 4)});
}

std::vector<CornerEntries> walkSlot1() {
    walked.clear();
    walkModel(loadedSlot, recordCorner);
    return walked;
}

} // namespace

// The walk visits the faces in file order, corners 1, 2, 3, and reads entry 0 (zeros) for every
// number outside 0 to 9,999, just as for 0 itself and for numbers beyond the count.
TEST(ModelWalk, CornersReadTheirEntriesAndEntryZeroWhenOutOfRange) {
    loadFromFile("v 1 2 3\nv 4 5 6\nvt 0 1\nvn 0 0 1\n"
                 "f 2/1/1 1/1/1 2/1/1\n"
                 "f -1/-2/-3 10000/2147483648/99999999999 0/0/0\n"
                 "f 9999/9999/9999 3/2/2 -2147483648/1/1\n@\n");
    const std::vector<CornerEntries> corners = walkSlot1();
    const long expected[9][3] = {{1, 1, 2}, {1, 1, 1},          {1, 1, 2}, {0, 0, 0}, {0, 0, 0},
                                 {0, 0, 0}, {9999, 9999, 9999}, {2, 2, 3}, {1, 1, 0}};
    ASSERT_EQ(corners.size(), 9u);
    for (size_t k = 0; k < corners.size(); k++) {
        EXPECT_EQ(corners[k].normal, expected[k][0]) << "corner " << k;
        EXPECT_EQ(corners[k].texture, expected[k][1]) << "corner " << k;
        EXPECT_EQ(corners[k].position, expected[k][2]) << "corner " << k;
    }
}

// A face count that the reader cannot have left (set from outside) still keeps the walk inside
// the arrays.
TEST(ModelWalk, StaysInsideTheStoreWhateverTheFaceCount) {
    loadFromFile("@\n");
    EXPECT_TRUE(walkSlot1().empty());
    f_celkem[1] = -5;
    EXPECT_TRUE(walkSlot1().empty());
    f_celkem[1] = faceCapacity + 100;
    EXPECT_EQ(walkSlot1().size(), 3u * (faceCapacity - 1));
    f_celkem[1] = 0;
}

// Garbage of every kind: the reader keeps within the store and ends, and every corner that the
// walk hands over lies inside the arrays.
TEST(ReaderFiles, GarbageStaysInsideTheStore) {
    const std::string pieces[] = {"f ",  "v",   "vt",         "vn",          "/",
                                  " ",   "-",   "+",          "1",           "99999999999",
                                  "0.5", "e9",  "\n",         "\r\n",        std::string(1, '\0'),
                                  "@",   "nan", "2147483648", "-2147483649", "x"};
    std::mt19937 random(20240611);
    for (int file = 0; file < 40; file++) {
        SCOPED_TRACE("file " + std::to_string(file));
        std::string text;
        std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(pieces)) - 1);
        std::uniform_int_distribution<int> byte(0, 255);
        for (int k = 0; k < 20000; k++) {
            const int choice = pick(random);
            // Keep the end marker rare, so that most of each file is read.
            if (pieces[choice] == "@" && k % 50 != 0) {
                text += static_cast<char>(byte(random));
            } else {
                text += pieces[choice];
            }
        }
        loadFromFile(text);
        EXPECT_GE(f_celkem[1], 0);
        EXPECT_LE(f_celkem[1], faceCapacity - 1);
        EXPECT_EQ(f_celkem[1], std::min(i4, faceCapacity - 1));
        for (const CornerEntries &c : walkSlot1()) {
            ASSERT_GE(c.normal, 0);
            ASSERT_GE(c.texture, 0);
            ASSERT_GE(c.position, 0);
        }
    }
}
