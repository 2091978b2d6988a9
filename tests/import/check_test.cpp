// robot-import check: a table of asset directories, each with one thing wrong (or nothing),
// checked by the real tool; each must give the right words and exit status. And the command
// line: help, and usage errors with status 2.
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "bmp_bytes.h"
#include "import_support.h"
#include "process.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Fixture files
// ---------------------------------------------------------------------------------------------

// A good model in the viewer's dialect: a tetrahedron 200 units tall, centred on the origin.
// Lines 1-4 vertices, 5-7 texture vertices, 8-11 normals, 12-15 faces, 16 the end marker.
std::vector<std::string> goodModel() {
    return {"v 0 100 0",
            "v -100 -100 100",
            "v 100 -100 100",
            "v 0 -100 -100",
            "vt 0 0",
            "vt 1 0",
            "vt 0 1",
            "vn 0 0.4472 0.8944",
            "vn 0.8165 0.4082 -0.4082",
            "vn -0.8165 0.4082 -0.4082",
            "vn 0 -1 0",
            "f 1/1/1 2/2/1 3/3/1",
            "f 1/1/2 3/2/2 4/3/2",
            "f 1/1/3 4/2/3 2/3/3",
            "f 2/1/4 4/2/4 3/3/4",
            "@"};
}

std::string joined(const std::vector<std::string> &lines, const std::string &end = "\n") {
    std::string text;
    for (const std::string &line : lines) {
        text += line + end;
    }
    return text;
}

// The good model with line `number` (from 1) replaced by `text`.
std::string withLine(int number, const std::string &text) {
    std::vector<std::string> lines = goodModel();
    lines[static_cast<size_t>(number - 1)] = text;
    return joined(lines);
}

// The good model with `text` inserted as line `number`.
std::string withInserted(int number, const std::string &text) {
    std::vector<std::string> lines = goodModel();
    lines.insert(lines.begin() + (number - 1), text);
    return joined(lines);
}

std::string withoutLines(int first, int last) {
    std::vector<std::string> lines = goodModel();
    lines.erase(lines.begin() + (first - 1), lines.begin() + last);
    return joined(lines);
}

// The good model with `count` more records of the kind of `line` before its faces.
std::string withMore(const std::string &line, int count, bool faceRecords) {
    std::vector<std::string> lines = goodModel();
    lines.insert(lines.begin() + (faceRecords ? 15 : 11), static_cast<size_t>(count), line);
    return joined(lines);
}

// Every vertex of the good model moved by `offset` along x and scaled by `scale`.
std::string movedModel(double scale, double offset) {
    const double positions[4][3] = {
        {0, 100, 0}, {-100, -100, 100}, {100, -100, 100}, {0, -100, -100}};
    std::vector<std::string> lines = goodModel();
    for (int v = 0; v < 4; v++) {
        // Three numbers of at most 13 characters each (-1.79769e+308): the line fits.
        char text[128];
        (void)std::snprintf(text, sizeof text, "v %g %g %g", positions[v][0] * scale + offset,
                            positions[v][1] * scale, positions[v][2] * scale);
        lines[static_cast<size_t>(v)] = text;
    }
    return joined(lines);
}

std::string image(int32_t width, int32_t height, size_t dataBytes, uint16_t bits = 24) {
    return header(width, height, bits) + std::string(dataBytes, '\x5a');
}

const std::string goodImage = image(4, 4, 48);

// ---------------------------------------------------------------------------------------------
// The table
// ---------------------------------------------------------------------------------------------

struct CheckCase {
    const char *name = "";
    std::string model = joined(goodModel()); // head.obj
    std::string picture = goodImage;         // wall7.bmp
    bool noModel = false, noImage = false, imageIsDirectory = false;
    int status = 0;
    std::vector<std::string> words; // each must appear in the report
};

void PrintTo(const CheckCase &c, std::ostream *out) {
    *out << c.name;
}

CheckCase modelCase(const char *name, std::string model, int status,
                    std::vector<std::string> words) {
    CheckCase c;
    c.name = name;
    c.model = std::move(model);
    c.status = status;
    c.words = std::move(words);
    return c;
}

CheckCase imageCase(const char *name, std::string picture, int status,
                    std::vector<std::string> words) {
    CheckCase c;
    c.name = name;
    c.picture = std::move(picture);
    c.status = status;
    c.words = std::move(words);
    return c;
}

const std::string fine = "Both files are fine: the viewer will show them as they are.";
const std::string quits = "the viewer ends at start-up, before it draws anything, without a "
                          "message (exit status 0)";

std::vector<CheckCase> checkCases() {
    std::vector<CheckCase> cases;
    cases.push_back(
        modelCase("GoodFiles", joined(goodModel()), 0,
                  {"head.obj: 4 vertices, 3 texture vertices, 4 normals, 4 faces; it "
                   "ends with the end marker \"@\".",
                   "wall7.bmp: 4 x 4 pixels, 24 bits a pixel: the viewer loads it.", fine}));
    cases.push_back(modelCase("WindowsLineEnds", joined(goodModel(), "\r\n"), 0, {fine}));

    // The model file: what the viewer shows no robot for.
    CheckCase missing = modelCase(
        "ModelMissing", "", 1,
        {"head.obj: problem: there is no such file: the viewer shows the room without a robot",
         "1 problem: the viewer will not show these files as they are meant."});
    missing.noModel = true;
    cases.push_back(missing);
    cases.push_back(modelCase("EndMarkerFirst", withInserted(1, "@"), 1,
                              {"head.obj: 0 vertices", "head.obj: problem: the file has no faces",
                               "head.obj:2: problem: 15 records after the end marker"}));
    cases.push_back(modelCase("NoEndMarker", withoutLines(16, 16), 1,
                              {"no end marker.", "head.obj: problem: the file has no end marker"}));
    cases.push_back(modelCase(
        "RecordsAfterEnd", joined(goodModel()) + "f 1/1/1 2/2/2 3/3/3\nv 1 2 3\n", 1,
        {"head.obj:17: problem: 2 records after the end marker (\"@\"), from here on: the viewer "
         "never reads them"}));

    // Face numbers that name no record.
    cases.push_back(modelCase("VertexNumberBeyondCount", withLine(13, "f 1/1/2 3/2/2 9/3/2"), 1,
                              {"head.obj:13: problem: face 2, corner 3: vertex number 9 is beyond "
                               "the 4 vertices in the file: the viewer draws that corner at the "
                               "model's origin"}));
    cases.push_back(modelCase("NegativeNumber", withLine(12, "f -4/1/1 2/2/1 3/3/1"), 1,
                              {"head.obj:12: problem: face 1, corner 1: vertex number -4 is "
                               "negative, and relative numbers are not taken"}));
    cases.push_back(
        modelCase("NumberBeyondCapacity", withLine(12, "f 12000/1/1 2/2/1 3/3/1"), 1,
                  {"vertex number 12,000 is beyond the 9,999 vertices the viewer holds"}));
    cases.push_back(
        modelCase("NormalNumberBeyondCount", withLine(14, "f 1/1/3 4/2/3 2/3/5"), 1,
                  {"head.obj:14: problem: face 3, corner 3: normal number 5 is beyond "
                   "the 4 normals in the file: the viewer gives that corner no normal"}));
    cases.push_back(modelCase("NoNormals", withoutLines(8, 11), 1,
                              {"head.obj: problem: the file has no normals (\"vn\" lines)"}));
    cases.push_back(modelCase("ZeroNormal", withLine(8, "vn 0 0 0"), 1,
                              {"head.obj:8: problem: the normal (0, 0, 0) has no direction"}));
    // Only a note: the viewer does not texture the head.
    cases.push_back(modelCase("TextureNumberBeyondCount", withLine(12, "f 1/7/1 2/2/1 3/3/1"), 0,
                              {"head.obj:12: note: face 1, corner 1: texture vertex number 7 is "
                               "beyond the 3 texture vertices in the file",
                               fine}));

    // Faces written otherwise than as three v/vt/vn corners.
    cases.push_back(modelCase("QuadFace", withLine(12, "f 1/1/1 2/2/1 3/3/1 4/1/1"), 1,
                              {"head.obj:12: problem: a face with 4 corners: the viewer keeps the "
                               "first three"}));
    cases.push_back(
        modelCase("CornerWithoutTextureVertex", withLine(12, "f 1//1 2//1 3//1"), 1,
                  {"head.obj:12: problem: corner \"1//1\" is not written vertex/texture "
                   "vertex/normal"}));
    cases.push_back(modelCase("CornerOfVertexAlone", withLine(12, "f 1 2 3"), 1,
                              {"head.obj:12: problem: corner \"1\" is not written"}));
    cases.push_back(modelCase("NoBlankAfterF", withLine(12, "f1/1/1 2/2/1 3/3/1"), 1,
                              {"head.obj:12: problem: \"f1/1/1 2/2/1 3/3/1\" has no blank after "
                               "\"f\""}));
    std::vector<std::string> quads = goodModel();
    for (int k = 0; k < 8; k++) {
        quads.insert(quads.begin() + 15, "f 1/1/1 2/2/1 3/3/1 4/1/1");
    }
    cases.push_back(
        modelCase("ManyLinesOfOneKind", joined(quads), 1,
                  {"head.obj:16: problem: a face with 4 corners",
                   "head.obj:20: problem: a face with 4 corners",
                   "head.obj: problem: ... and 3 more lines like the above", "8 problems"}));

    // Lines the viewer ignores or misreads.
    cases.push_back(modelCase("IndentedVertex", withLine(2, "  v -100 -100 100"), 1,
                              {"head.obj:2: problem: \"  v -100 -100 100\" does not begin with its "
                               "letter (it begins with a blank): the viewer ignores the line"}));
    cases.push_back(modelCase("UpperCaseVertex", withLine(2, "V -100 -100 100"), 1,
                              {"head.obj:2: problem: \"V -100 -100 100\" begins with an upper-case "
                               "letter: the viewer ignores the line"}));
    cases.push_back(modelCase("ByteOrderMark", "\xef\xbb\xbf" + joined(goodModel()), 1,
                              {"head.obj:1: problem:", "with a byte-order mark"}));
    cases.push_back(modelCase("ParameterVertex", withInserted(5, "vp 0.5 0.5"), 1,
                              {"head.obj:5: problem: \"vp 0.5 0.5\" is not a vertex"}));
    cases.push_back(modelCase("VertexWithTwoNumbers", withLine(1, "v 0 100"), 1,
                              {"head.obj:1: problem: a vertex with fewer than three numbers"}));
    cases.push_back(modelCase(
        "LongFaceLine", withLine(12, "f 1/1/1 2/2/1" + std::string(120, ' ') + "3/3/1"), 1,
        {"head.obj:12: problem: the line is longer than 126 characters: the viewer takes only "
         "the first 126 for a face, and loses the rest"}));
    cases.push_back(
        modelCase("LongCommentHidingAFace",
                  withInserted(1, "#" + std::string(125, 'x') + "f 1/1/1 2/2/1 3/3/1"), 1,
                  {"head.obj:1: problem: the line is longer than 126 characters: the "
                   "viewer cuts it in pieces of 126, and takes a later piece for a face"}));
    cases.push_back(
        modelCase("LongCommentAlone", withInserted(1, "#" + std::string(200, 'x')), 0, {fine}));

    // Over the capacity.
    cases.push_back(modelCase("TooManyVertices", withMore("v 1 1 1", 10000, false), 1,
                              {"head.obj: problem: the file has 10,004 vertices, more than the "
                               "9,999 the viewer holds"}));
    cases.push_back(
        modelCase("TooManyFaces", withMore("f 1/1/1 2/2/1 3/3/1", 20000, true), 1,
                  {"head.obj: 4 vertices, 3 texture vertices, 4 normals, 20,004 faces",
                   "head.obj: problem: the file has 20,004 faces, more than the 19,999 "
                   "the viewer holds: it leaves out the rest, and the head has holes"}));

    // Notes on size and place.
    cases.push_back(modelCase("SmallModel", movedModel(0.01, 0), 0,
                              {"head.obj: note: the head is 2 units tall", fine}));
    cases.push_back(modelCase("OffCentre", movedModel(1, 500), 0,
                              {"head.obj: note: the head's middle is at (500, 0, 0)", fine}));

    // The wall image: what the viewer ends at start-up for.
    CheckCase noImage =
        imageCase("ImageMissing", "", 1, {"wall7.bmp: problem: there is no such file: " + quits});
    noImage.noImage = true;
    cases.push_back(noImage);
    CheckCase directory = imageCase("ImageIsADirectory", "", 1,
                                    {"wall7.bmp: problem: this is not a regular file: " + quits});
    directory.noImage = true;
    directory.imageIsDirectory = true;
    cases.push_back(directory);
    cases.push_back(
        imageCase("ShorterThanHeader", goodImage.substr(0, 53), 1,
                  {"wall7.bmp: the viewer cannot load it.",
                   "the file is 53 bytes long, shorter than the 54-byte header: " + quits}));
    cases.push_back(imageCase("ThirtyTwoBits", image(4, 4, 64, 32), 1,
                              {"the image has 32 bits a pixel; the viewer takes only 24"}));
    cases.push_back(imageCase("WidthZero", image(0, 4, 48), 1,
                              {"the image's sides, 0 x 4, are not both positive: " + quits}));
    cases.push_back(
        imageCase("TopDown", image(4, -4, 48), 1,
                  {"the image's height is negative (4 x -4: rows stored from the top)"}));
    cases.push_back(imageCase("ShortPixelData", image(4, 4, 47), 1,
                              {"the file holds 47 bytes of pixels after the header, fewer than "
                               "the 4 x 4 x 3 = 48 it needs: " +
                               quits}));

    // Images the viewer loads and shows wrongly.
    cases.push_back(imageCase("PaddedRows", image(2, 2, 16), 1,
                              {"wall7.bmp: 2 x 2 pixels",
                               "wall7.bmp: problem: the image's rows "
                               "are 2 pixels wide",
                               "comes out sheared", "1 problem"}));
    cases.push_back(imageCase("PixelsAfterPalette", withField(image(4, 4, 48 + 1024), 10, 1078, 4),
                              1,
                              {"the image's pixels begin at byte 1,078, but the viewer reads "
                               "them from byte 54 on"}));
    cases.push_back(imageCase("Compressed", withField(goodImage, 30, 1, 4), 1,
                              {"the image is compressed (method 1)"}));
    cases.push_back(imageCase("NotPowersOfTwo", image(12, 4, 144), 1,
                              {"wall7.bmp: problem: 12 x 4: sides that are not powers of two; "
                               "OpenGL 1.1 refuses such a texture, and the viewer then draws the "
                               "room flat red"}));
    cases.push_back(imageCase("PaddedAndNotPowersOfTwo", image(3, 2, 24), 1,
                              {"comes out sheared", "not powers of two", "2 problems"}));

    // Notes only.
    cases.push_back(
        imageCase("PackedRows", image(2, 2, 12), 0,
                  {"wall7.bmp: note: the image's rows are stored without the padding", fine}));
    cases.push_back(imageCase("Over1024", image(2048, 4, size_t{2048} * 4 * 3), 0,
                              {"wall7.bmp: note: sides over 1024 pixels may be more than some "
                               "OpenGL implementations take",
                               fine}));
    cases.push_back(imageCase("NoSignature", withField(goodImage, 0, 'X' | 'Y' << 8, 2), 0,
                              {"wall7.bmp: note: the file does not begin with \"BM\"", fine}));
    return cases;
}

class CheckTable : public testing::TestWithParam<CheckCase> {};

// The report holds the words of the case, and the status is its status; nothing is said on
// standard error, and the files are left as they were.
TEST_P(CheckTable, ReportsWhatTheViewerWillShow) {
    const CheckCase &c = GetParam();
    const TempDir dir;
    if (!c.noModel) {
        writeFile(dir.file("head.obj"), c.model);
    }
    if (!c.noImage) {
        writeFile(dir.file("wall7.bmp"), c.picture);
    }
    if (c.imageIsDirectory) {
        ASSERT_EQ(mkdir(dir.file("wall7.bmp").c_str(), 0700), 0);
    }

    const ToolRun run = runImport({"check"}, dir.path());

    ASSERT_TRUE(run.exited) << run.err;
    EXPECT_EQ(run.status, c.status) << run.out;
    EXPECT_EQ(run.err, "");
    for (const std::string &words : c.words) {
        EXPECT_NE(run.out.find(words), std::string::npos) << "\"" << words << "\" not in:\n"
                                                          << run.out;
    }
    if (!c.noModel) {
        EXPECT_EQ(readFile(dir.file("head.obj")), c.model);
    }
}

INSTANTIATE_TEST_SUITE_P(Directories, CheckTable, testing::ValuesIn(checkCases()),
                         [](const testing::TestParamInfo<CheckCase> &info) {
                             return std::string(info.param.name);
                         });

// The shipped files, named by their directory, are fine.
TEST(CheckShipped, AssetsAreFine) {
    const TempDir elsewhere;
    const ToolRun run = runImport({"check", ROBOT_DATA_DIR}, elsewhere.path());
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find(std::string(ROBOT_DATA_DIR) + "/head.obj: "), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(fine), std::string::npos) << run.out;
}

// What the tool imports, check finds fine.
TEST(CheckImported, ImportedFilesAreFine) {
    const TempDir dir;
    writeFile(dir.file("tri.obj"), "v 0 0 0\nv 3 0 0\nv 0 2 1\nv 1 1 5\nf 1 2 3 4\n");
    writePng(dir.file("p.png"),
             {30, 20, [](int x, int y) {
                  return Rgb{static_cast<uint8_t>(x * 8), static_cast<uint8_t>(y * 12), 99};
              }});
    ASSERT_EQ(runImport({"model", "tri.obj"}, dir.path()).status, 0);
    ASSERT_EQ(runImport({"texture", "p.png"}, dir.path()).status, 0);

    const ToolRun run = runImport({"check", "."}, dir.path());

    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find(fine), std::string::npos) << run.out;
}

// ---------------------------------------------------------------------------------------------
// The command line
// ---------------------------------------------------------------------------------------------

struct UsageCase {
    const char *name = "";
    std::vector<std::string> args;
    int status = 2;
    std::string words; // on standard error for errors, on standard output for help
};

void PrintTo(const UsageCase &c, std::ostream *out) {
    *out << c.name;
}

class CommandLine : public testing::TestWithParam<UsageCase> {};

// Help goes to standard output with status 0; a wrong command line gets its reason and the
// usage on standard error, with status 2, and nothing is written.
TEST_P(CommandLine, HelpsOrRefuses) {
    const UsageCase &c = GetParam();
    const TempDir dir;
    writeFile(dir.file("a.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");

    const ToolRun run = runImport(c.args, dir.path());

    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.status, c.status);
    const std::string &said = c.status == 0 ? run.out : run.err;
    EXPECT_NE(said.find(c.words), std::string::npos) << said;
    if (c.status == 0) {
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out.find("Usage: robot-import model IN [-o OUT]"), std::string::npos);
    } else {
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"a.obj"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLine,
    testing::Values(
        UsageCase{"Help", {"--help"}, 0, "check [DIR]"},
        UsageCase{"ShortHelp", {"-h"}, 0, "texture IN [-o OUT]"},
        UsageCase{"HelpOfACommand", {"model", "a.obj", "--help"}, 0, "--no-simplify"},
        UsageCase{"NoCommand", {}, 2, "robot-import: which command: model, texture or check?"},
        UsageCase{"UnknownCommand", {"convert", "a.obj"}, 2, "unknown command convert"},
        UsageCase{"ModelWithoutFile", {"model"}, 2, "model: which model file?"},
        UsageCase{"TwoModels", {"model", "a.obj", "a.obj"}, 2, "one model file at a time"},
        UsageCase{"OptionOfAnotherCommand",
                  {"model", "a.obj", "--floor"},
                  2,
                  "model: unknown option --floor"},
        UsageCase{
            "OutputWithoutName", {"texture", "p.png", "-o"}, 2, "option -o needs a file name"},
        UsageCase{
            "OutputTwice", {"model", "a.obj", "-o", "x.obj", "-o", "y.obj"}, 2, "given twice"},
        UsageCase{"CheckTwoDirectories", {"check", ".", "."}, 2, "one directory at a time"},
        UsageCase{"CheckNoDirectory", {"check", "nowhere"}, 2, "nowhere: not a directory"},
        UsageCase{"CheckOfAFile", {"check", "a.obj"}, 2, "a.obj: not a directory"}),
    [](const testing::TestParamInfo<UsageCase> &info) { return std::string(info.param.name); });

} // namespace
