// robot-import check: reads "head.obj" and "wall7.bmp" with the viewer's own reading code and
// says, in plain words, what the viewer will show: counts, the end marker, face numbers that
// name no record, records beyond the capacity, lines the viewer cuts, ignores or misreads, and
// whether the image loads, comes out sheared or ends the viewer at start-up.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "assets/model.h"   // readModel and the model store
#include "assets/texture.h" // bitmapRead, wallImageFile
#include "robot_import.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

constexpr const char *modelFileName = "head.obj";

// What the viewer's store holds: entry 0 of each array is never filled.
constexpr int vertexLimit = vertexCapacity - 1;
constexpr int faceLimit = faceCapacity - 1;

// Characters of a line that the reader takes at once (its read limit, less the terminating
// zero).
constexpr size_t pieceLength = lineReadLimit - 1;

// Lines shown of each kind of finding; the others are counted.
constexpr int shownPerKind = 5;

// Heights of a model, in its own units, that look right in the room (the viewer draws it at a
// twentieth of its size in a room 55 units high; our own head is 202 units tall).
constexpr double shortestHead = 50;
constexpr double tallestHead = 800;
// A model whose middle is further from the origin than this share of its largest side swings
// round as it turns.
constexpr double offCentreShare = 0.25;

// The image header's fields, little-endian: signature, pixel-data offset, width, height, bits
// per pixel, compression.
constexpr size_t headerSize = 54;
constexpr size_t dataOffsetField = 10;
constexpr size_t widthField = 18;
constexpr size_t heightField = 22;
constexpr size_t bitsField = 28;
constexpr size_t compressionField = 30;
// Largest side that every OpenGL implementation the viewer may meet is taken to accept.
constexpr long long largestSafeSide = 1024;

// What the viewer does with an image it refuses.
constexpr const char *quitsText =
    "the viewer ends at start-up, before it draws anything, without a message (exit status 0)";

// ---------------------------------------------------------------------------------------------
// Findings
// ---------------------------------------------------------------------------------------------

// One finding: a problem (the viewer will not show the file as it is meant, or will not run)
// or a note (worth knowing, with no effect on what this viewer shows).
struct Finding {
    std::string file;
    long line = 0; // 0 for the file as a whole
    std::string text;
};

struct FindingKind {
    bool problem = true;
    std::vector<Finding> shown;
    long more = 0; // findings of this kind beyond those shown
};

// The findings in the order their kinds first came up.
class Report {
  public:
    void add(const std::string &kind, bool problem, const std::string &file, long line,
             const std::string &text) {
        auto found = kinds_.find(kind);
        if (found == kinds_.end()) {
            order_.push_back(kind);
            found = kinds_.emplace(kind, FindingKind{}).first;
            found->second.problem = problem;
        }
        FindingKind &k = found->second;
        if (static_cast<int>(k.shown.size()) < shownPerKind) {
            k.shown.push_back({file, line, text});
        } else {
            k.more++;
        }
        (problem ? problems_ : notes_)++;
    }
    void problem(const std::string &kind, const std::string &file, long line,
                 const std::string &text) {
        add(kind, true, file, line, text);
    }
    void note(const std::string &kind, const std::string &file, long line,
              const std::string &text) {
        add(kind, false, file, line, text);
    }

    // Prints the findings so far, each kind in the order of the first line it was found on
    // (findings about the whole file last), and forgets them (the counts stay).
    void print() {
        const auto firstLine = [this](const std::string &name) {
            const long line = kinds_[name].shown.front().line;
            return line > 0 ? line : LONG_MAX;
        };
        std::stable_sort(order_.begin(), order_.end(),
                         [&](const std::string &a, const std::string &b) {
                             return firstLine(a) < firstLine(b);
                         });
        for (const std::string &name : order_) {
            const FindingKind &k = kinds_[name];
            const char *label = k.problem ? "problem" : "note";
            for (const Finding &f : k.shown) {
                if (f.line > 0) {
                    std::printf("%s:%ld: %s: %s\n", f.file.c_str(), f.line, label, f.text.c_str());
                } else {
                    std::printf("%s: %s: %s\n", f.file.c_str(), label, f.text.c_str());
                }
            }
            if (k.more > 0) {
                std::printf("%s: %s: ... and %s like the above\n", k.shown.back().file.c_str(),
                            label, counted(k.more, "more line", "more lines").c_str());
            }
        }
        order_.clear();
        kinds_.clear();
    }
    long problems() const { return problems_; }
    long notes() const { return notes_; }

  private:
    std::vector<std::string> order_;
    std::map<std::string, FindingKind> kinds_;
    long problems_ = 0, notes_ = 0;
};

// ---------------------------------------------------------------------------------------------
// The model file, line by line
// ---------------------------------------------------------------------------------------------

// The kind of record the reader takes a piece of a line for, from its first two characters.
enum class Kind { Ignored, End, Vertex, Texture, Normal, Face };

Kind kindOf(const std::string &piece) {
    const char first = piece.empty() ? '\0' : piece[0];
    const char second = piece.size() > 1 ? piece[1] : '\0';
    if (first == '@') {
        return Kind::End;
    }
    if (first == 'v') {
        return second == 't' ? Kind::Texture : second == 'n' ? Kind::Normal : Kind::Vertex;
    }
    return first == 'f' ? Kind::Face : Kind::Ignored;
}

const char *kindName(Kind kind) {
    switch (kind) {
    case Kind::End: return "the end marker";
    case Kind::Vertex: return "a vertex";
    case Kind::Texture: return "a texture vertex";
    case Kind::Normal: return "a normal";
    case Kind::Face: return "a face";
    case Kind::Ignored: break;
    }
    return "nothing";
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool allBlank(const std::string &text) {
    return std::all_of(text.begin(), text.end(), isBlank);
}

// The pieces in which the reader takes a line, as it reads at most pieceLength characters at
// once: `content` is the line without its newline, `newline` whether it had one.
std::vector<std::string> piecesOf(const std::string &content, bool newline) {
    std::vector<std::string> pieces;
    for (size_t at = 0; at < content.size(); at += pieceLength) {
        pieces.push_back(content.substr(at, pieceLength));
    }
    if (newline) {
        if (!pieces.empty() && pieces.back().size() < pieceLength) {
            pieces.back() += '\n';
        } else {
            pieces.push_back("\n");
        }
    }
    return pieces;
}

// The line shown in a message: at most 40 characters, without its line end.
std::string quoted(const std::string &line) {
    std::string text;
    for (const char c : line) {
        if (c == '\r' || c == '\n') {
            break;
        }
        text += std::isprint(static_cast<unsigned char>(c)) != 0 ? c : '?';
    }
    if (text.size() > 40) {
        text.replace(37, std::string::npos, "...");
    }
    return "\"" + text + "\"";
}

// True when `text` begins as a record of the dialect does: a record letter (or "@") followed
// by a blank, a number or the end of the line.
bool looksLikeRecord(const std::string &text, bool upperCase) {
    std::string t = text.substr(0, 3);
    if (upperCase) {
        std::transform(t.begin(), t.end(), t.begin(),
                       [](char c) { return static_cast<char>(std::tolower(c)); });
    }
    if (t.empty()) {
        return false;
    }
    if (t[0] == '@') {
        return !upperCase;
    }
    size_t letters = 0;
    if (t.rfind("vt", 0) == 0 || t.rfind("vn", 0) == 0) {
        letters = 2;
    } else if (t[0] == 'v' || t[0] == 'f') {
        letters = 1;
    } else {
        return false;
    }
    const char next = letters < t.size() ? t[letters] : '\0';
    return next == '\0' || isBlank(next) || std::isdigit(static_cast<unsigned char>(next)) != 0 ||
           next == '-';
}

// A face number as written: an optional minus sign and digits.
bool isNumber(const std::string &text) {
    size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
    if (at >= text.size()) {
        return false;
    }
    for (; at < text.size(); at++) {
        if (std::isdigit(static_cast<unsigned char>(text[at])) == 0) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> split(const std::string &text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::vector<std::string> words(const std::string &text) {
    std::vector<std::string> result;
    std::string word;
    for (const char c : text) {
        if (isBlank(c)) {
            if (!word.empty()) {
                result.push_back(word);
            }
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        result.push_back(word);
    }
    return result;
}

// What the line-by-line pass learns beyond its findings: the line of each face, and the faces
// whose lines are already reported as written wrongly.
struct LineFacts {
    std::vector<long> faceLine;     // by face number (entry 0 unused)
    std::vector<bool> faceReported; // by face number
};

// Checks the syntax of a face line as the reader will take it; returns true when the numbers
// it stores are not the ones written (so that they are not reported again as out of range).
bool checkFaceLine(Report &report, const std::string &file, long line, const std::string &text) {
    if (text.size() > 1 && !isBlank(text[1])) {
        report.problem("face no blank", file, line,
                       quoted(text) + " has no blank after \"f\": the viewer reads only its "
                                      "first number, and draws the face as a point or a line");
        return true;
    }
    const std::vector<std::string> corners = words(text.substr(1));
    bool wrong = false;
    if (corners.size() > 3) {
        report.problem("face corners", file, line,
                       "a face with " + std::to_string(corners.size()) +
                           " corners: the viewer keeps the first three and drops the rest "
                           "(write triangles only)");
    } else if (corners.size() < 3) {
        report.problem("face few corners", file, line,
                       "a face with " +
                           counted(static_cast<long long>(corners.size()), "corner", "corners") +
                           ": the viewer puts the missing corners at the model's origin");
        wrong = true;
    }
    for (size_t k = 0; k < corners.size() && k < 3; k++) {
        const std::vector<std::string> numbers = split(corners[k], '/');
        const bool full =
            numbers.size() == 3 && std::all_of(numbers.begin(), numbers.end(), isNumber);
        if (!full) {
            report.problem("face form", file, line,
                           "corner \"" + corners[k] +
                               "\" is not written vertex/texture vertex/normal: the viewer needs "
                               "all three numbers in every corner, and takes the numbers after "
                               "it for the wrong things");
            return true;
        }
    }
    return wrong;
}

// Checks a line of the model file that the reader takes as one record (its first piece,
// `text`).
//
// The numbers are scanned with sscanf on purpose, with the reader's own formats from the same
// character on: what counts is how many fields the viewer's scan converts, and the same scan
// predicts it exactly (a field that does not convert ends it, and the viewer keeps 0 there).
// NOLINTBEGIN(cert-err34-c)
void checkRecordLine(Report &report, const std::string &file, long line, Kind kind,
                     const std::string &text, LineFacts &facts, int faceNumber) {
    float a = 0, b = 0, c = 0;
    switch (kind) {
    case Kind::Vertex: {
        const char second = text.size() > 1 ? text[1] : '\0';
        if (!(isBlank(second) || second == '\0' || second == '-' || second == '+' ||
              second == '.' || std::isdigit(static_cast<unsigned char>(second)) != 0)) {
            report.problem("vertex other", file, line,
                           quoted(text) + " is not a vertex, but the viewer takes every line "
                                          "that begins with \"v\" (other than \"vt\" and \"vn\") "
                                          "for one: the vertices after it get the wrong numbers");
        } else if (std::sscanf(text.c_str() + 1, "%f %f %f", &a, &b, &c) < 3) {
            report.problem("vertex numbers", file, line,
                           "a vertex with fewer than three numbers: the viewer takes the missing "
                           "ones as 0");
        }
        break;
    }
    case Kind::Texture:
        if (std::sscanf(text.c_str() + 2, " %f %f", &a, &b) < 2) {
            report.note("texture numbers", file, line,
                        "a texture vertex with fewer than two numbers: the viewer takes the "
                        "missing ones as 0 (it does not texture the head, so this does not show)");
        }
        break;
    case Kind::Normal:
        if (std::sscanf(text.c_str() + 2, "%f %f %f", &a, &b, &c) < 3) {
            report.problem("normal numbers", file, line,
                           "a normal with fewer than three numbers: the viewer takes the missing "
                           "ones as 0, and lights the corners that use it wrongly");
        } else if (a == 0 && b == 0 && c == 0) {
            report.problem("normal zero", file, line,
                           "the normal (0, 0, 0) has no direction: the corners that use it are "
                           "lit wrongly");
        }
        break;
    case Kind::Face:
        if (checkFaceLine(report, file, line, text) && faceNumber <= faceLimit) {
            facts.faceReported[static_cast<size_t>(faceNumber)] = true;
        }
        break;
    case Kind::End:
    case Kind::Ignored: break;
    }
}
// NOLINTEND(cert-err34-c)

// Where the line-by-line pass is: the faces that the reader has counted, whether it has read
// the end marker, and the records after it (their count, and the line of the first; 0 when
// there is none).
struct LinePass {
    int faceRecords = 0;
    bool ended = false;
    long recordsAfterEnd = 0, firstAfterEnd = 0;
};

// The faces that the pieces of one line give: the numbers of those that are stored, and the
// number of the first piece's face (0 when the first piece is no face).
struct LineFaces {
    std::vector<int> stored;
    int first = 0;
};

// Counts a line after the end marker that the reader would have taken for a record.
void countAfterEnd(LinePass &pass, long line, const std::string &content) {
    const Kind kind = kindOf(content);
    if (kind != Kind::Ignored && kind != Kind::End) {
        pass.recordsAfterEnd++;
        pass.firstAfterEnd = pass.firstAfterEnd == 0 ? line : pass.firstAfterEnd;
    }
}

// Counts the faces among the pieces of line `line` as the reader does, each piece a record of
// its own, up to the end marker; notes the line of each stored face in `facts`.
LineFaces countFaces(LinePass &pass, LineFacts &facts, long line,
                     const std::vector<std::string> &pieces) {
    LineFaces lineFaces;
    for (size_t p = 0; p < pieces.size() && !pass.ended; p++) {
        const Kind k = kindOf(pieces[p]);
        if (k == Kind::Face) {
            pass.faceRecords = countRecord(pass.faceRecords);
            if (pass.faceRecords <= faceLimit) {
                facts.faceLine[static_cast<size_t>(pass.faceRecords)] = line;
                lineFaces.stored.push_back(pass.faceRecords);
            }
            lineFaces.first = p == 0 ? pass.faceRecords : lineFaces.first;
        }
        pass.ended = k == Kind::End;
    }
    return lineFaces;
}

// What the viewer makes of a line longer than a piece whose first piece is of kind `kind`,
// when the first later piece that it takes for a record is of kind `restKind`.
std::string longLineText(Kind kind, Kind restKind) {
    const std::string longer =
        "the line is longer than " + std::to_string(pieceLength) + " characters: the viewer ";
    if (kind != Kind::Ignored && restKind == Kind::Ignored) {
        return longer + "takes only the first " + std::to_string(pieceLength) + " for " +
               kindName(kind) + ", and loses the rest";
    }
    if (kind != Kind::Ignored) {
        return longer + "takes the first " + std::to_string(pieceLength) + " for " +
               kindName(kind) + ", and a later piece for " + kindName(restKind) + " of its own";
    }
    return longer + "cuts it in pieces of " + std::to_string(pieceLength) +
           ", and takes a later piece for " + kindName(restKind);
}

// Reports a line whose pieces after the first are not all blank, when the reader takes one of
// its pieces for a record, and marks the line's faces as reported. Returns true when it
// reported the line.
bool checkLongLine(Report &report, const std::string &file, long line, Kind kind,
                   const std::vector<std::string> &pieces, const LineFaces &lineFaces,
                   LineFacts &facts) {
    // The rest of a line longer than a piece.
    std::string rest;
    Kind restKind = Kind::Ignored;
    for (size_t p = 1; p < pieces.size(); p++) {
        rest += pieces[p];
        if (restKind == Kind::Ignored) {
            restKind = kindOf(pieces[p]);
        }
    }
    if (allBlank(rest) || (kind == Kind::Ignored && restKind == Kind::Ignored)) {
        return false;
    }
    report.problem("long line", file, line, longLineText(kind, restKind));
    for (const int f : lineFaces.stored) {
        facts.faceReported[static_cast<size_t>(f)] = true;
    }
    return true;
}

// Reports a line that the reader ignores but that was meant as a record: indented, after a
// byte-order mark, or written in upper case.
void checkIgnoredLine(Report &report, const std::string &file, long line,
                      const std::string &content) {
    size_t start = 0;
    if (content.rfind("\xef\xbb\xbf", 0) == 0) {
        start = 3;
    }
    while (start < content.size() && (content[start] == ' ' || content[start] == '\t')) {
        start++;
    }
    const std::string trimmed = content.substr(start);
    if (start > 0 && looksLikeRecord(trimmed, false)) {
        report.problem("indented", file, line,
                       quoted(content) + " does not begin with its letter (it begins " +
                           (content[0] == ' ' || content[0] == '\t' ? "with a blank"
                                                                    : "with a byte-order mark") +
                           "): the viewer ignores the line");
    } else if (std::isupper(static_cast<unsigned char>(content[0])) != 0 &&
               looksLikeRecord(content, true)) {
        report.problem("upper case", file, line,
                       quoted(content) +
                           " begins with an upper-case letter: the viewer ignores the "
                           "line (it takes only \"v\", \"vt\", \"vn\" and \"f\")");
    }
}

// Checks line `line` of the model file (`content`, without its newline; `newline` whether it
// had one), read before the end marker.
void checkLine(Report &report, const std::string &file, long line, const std::string &content,
               bool newline, LinePass &pass, LineFacts &facts) {
    const std::vector<std::string> pieces = piecesOf(content, newline);
    const std::string &first = pieces.empty() ? content : pieces[0];
    const Kind kind = kindOf(first);
    const LineFaces lineFaces = countFaces(pass, facts, line, pieces);
    if (content.find('\0') != std::string::npos && kind != Kind::Ignored) {
        report.problem("nul", file, line,
                       "the line holds a NUL byte: the viewer reads nothing of the line after it");
    }
    if (checkLongLine(report, file, line, kind, pieces, lineFaces, facts)) {
        return;
    }
    if (kind == Kind::Ignored) {
        checkIgnoredLine(report, file, line, content);
        return;
    }
    checkRecordLine(report, file, line, kind, first, facts, lineFaces.first);
}

// Reads the model file line by line, cutting each line into pieces as the reader does, and
// reports lines that the viewer cuts, ignores or misreads, and records after the end marker.
LineFacts checkModelLines(Report &report, const std::string &path, const std::string &file) {
    LineFacts facts;
    facts.faceLine.assign(faceCapacity, 0);
    facts.faceReported.assign(faceCapacity, false);
    std::ifstream stream(path, std::ios::binary);
    std::string content;
    long line = 0;
    LinePass pass;
    while (std::getline(stream, content)) {
        line++;
        if (pass.ended) {
            countAfterEnd(pass, line, content);
        } else {
            checkLine(report, file, line, content, !stream.eof(), pass, facts);
        }
    }
    if (pass.recordsAfterEnd > 0) {
        report.problem("after end", file, pass.firstAfterEnd,
                       counted(pass.recordsAfterEnd, "record", "records") +
                           " after the end marker (\"@\"), from here on: the viewer never reads "
                           "them");
    }
    return facts;
}

// ---------------------------------------------------------------------------------------------
// The model file, as the viewer's reader stored it
// ---------------------------------------------------------------------------------------------

// Why a face number does not name a stored record of a kind with `count` records seen, or ""
// when it does.
std::string outOfRange(int number, int count, const char *plural) {
    if (number < 0) {
        return "number " + std::to_string(number) +
               " is negative, and relative numbers are not taken";
    }
    if (number == 0) {
        return "number 0 names none (numbers count from 1)";
    }
    if (number > vertexLimit) {
        return "number " + withCommas(number) + " is beyond the " + withCommas(vertexLimit) + " " +
               plural + " the viewer holds";
    }
    if (number > count) {
        return "number " + withCommas(number) + " is beyond the " + withCommas(count) + " " +
               plural + " in the file";
    }
    return "";
}

void checkFaceNumbers(Report &report, const std::string &file, const LineFacts &facts) {
    const int faceCount = f_celkem[loadedSlot];
    for (int f = 1; f <= faceCount; f++) {
        if (facts.faceReported[static_cast<size_t>(f)]) {
            continue;
        }
        const long line = facts.faceLine[static_cast<size_t>(f)];
        bool vertexDone = false, normalDone = false, textureDone = false;
        for (int corner = 1; corner <= 3; corner++) {
            const std::int32_t *c = faces[loadedSlot][f][corner];
            const std::string v = outOfRange(c[1], i1, "vertices");
            if (!v.empty() && !vertexDone) {
                report.problem("vertex number", file, line,
                               "face " + withCommas(f) + ", corner " + std::to_string(corner) +
                                   ": vertex " + v +
                                   ": the viewer draws that corner at the model's origin");
                vertexDone = true;
            }
            const std::string n = outOfRange(c[3], i3, "normals");
            if (i3 > 0 && !n.empty() && !normalDone) {
                report.problem("normal number", file, line,
                               "face " + withCommas(f) + ", corner " + std::to_string(corner) +
                                   ": normal " + n +
                                   ": the viewer gives that corner no normal, and lights it "
                                   "wrongly");
                normalDone = true;
            }
            const std::string t = outOfRange(c[2], i2, "texture vertices");
            if (i2 > 0 && !t.empty() && !textureDone) {
                report.note("texture number", file, line,
                            "face " + withCommas(f) + ", corner " + std::to_string(corner) +
                                ": texture vertex " + t +
                                " (the viewer does not texture the head, so this does not show)");
                textureDone = true;
            }
        }
    }
    if (faceCount > 0 && i3 == 0) {
        report.problem(
            "no normals", file, 0,
            "the file has no normals (\"vn\" lines): every corner gets the normal (0, 0, 0), "
            "and the viewer lights the head wrongly");
    }
    if (faceCount > 0 && i2 == 0) {
        report.note(
            "no texture vertices", file, 0,
            "the file has no texture vertices (\"vt\" lines); the viewer does not texture the "
            "head, so this does not show, but every corner should still name one");
    }
}

// Size and place of the faces' vertices: the viewer draws the model at a twentieth of its size
// and turns it about its origin.
void checkModelSize(Report &report, const std::string &file) {
    double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    bool any = false;
    for (int f = 1; f <= f_celkem[loadedSlot]; f++) {
        for (int corner = 1; corner <= 3; corner++) {
            const int v = faces[loadedSlot][f][corner][1];
            if (v < 1 || v > std::min(i1, vertexLimit)) {
                continue;
            }
            for (int k = 0; k < 3; k++) {
                low[k] = std::min(low[k], static_cast<double>(vertex[loadedSlot][v][k + 1]));
                high[k] = std::max(high[k], static_cast<double>(vertex[loadedSlot][v][k + 1]));
            }
            any = true;
        }
    }
    if (!any) {
        return;
    }
    const double height = high[1] - low[1];
    const double largest = std::max({high[0] - low[0], height, high[2] - low[2]});
    // "%.4g" writes at most 11 characters a number (-1.798e+308): both texts fit.
    char text[256];
    if (height < shortestHead || height > tallestHead) {
        (void)std::snprintf(
            text, sizeof text,
            "the head is %.4g units tall; the viewer draws it at a twentieth of that in "
            "a room 55 units high, so about 200 is right (robot-import model scales "
            "it)",
            height);
        report.note("size", file, 0, text);
    }
    const double middle[3] = {(low[0] + high[0]) / 2, (low[1] + high[1]) / 2,
                              (low[2] + high[2]) / 2};
    const double away =
        std::sqrt(middle[0] * middle[0] + middle[1] * middle[1] + middle[2] * middle[2]);
    if (away > offCentreShare * largest) {
        (void)std::snprintf(
            text, sizeof text,
            "the head's middle is at (%.4g, %.4g, %.4g), away from the origin about which the "
            "viewer turns it, so it swings round as it turns (robot-import model "
            "centres it)",
            middle[0], middle[1], middle[2]);
        report.note("centre", file, 0, text);
    }
}

void checkModel(Report &report, const std::string &path, const std::string &file) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        report.problem("model missing", file, 0,
                       "there is no such file: the viewer shows the room without a robot");
        return;
    }
    if (!S_ISREG(status.st_mode)) {
        report.problem("model missing", file, 0,
                       "this is not a regular file: the viewer cannot read a head from it");
        return;
    }
    FILE *stream = std::fopen(path.c_str(), "r");
    if (stream == nullptr) {
        report.problem("model missing", file, 0,
                       "cannot be opened: the viewer shows the room without a robot");
        return;
    }
    // The viewer's own reader, as it runs at start-up.
    readModel(loadedSlot, stream);
    // The file was only read: a failure to close it loses nothing.
    (void)std::fclose(stream);
    const int vertices = i1, texcoords = i2, normals = i3, faceRecords = i4;
    const bool endMarker = err == 1;

    std::printf("%s: %s, %s, %s, %s; %s.\n", file.c_str(),
                counted(vertices, "vertex", "vertices").c_str(),
                counted(texcoords, "texture vertex", "texture vertices").c_str(),
                counted(normals, "normal", "normals").c_str(),
                counted(faceRecords, "face", "faces").c_str(),
                endMarker ? "it ends with the end marker \"@\"" : "no end marker");

    const LineFacts facts = checkModelLines(report, path, file);

    if (!endMarker) {
        report.problem(
            "no end", file, 0,
            "the file has no end marker (a line that begins with \"@\"): the viewer reads to "
            "the end of the file and uses it all, but the file is not complete; add "
            "a line \"@\" at the end");
    }
    if (f_celkem[loadedSlot] == 0) {
        report.problem("no faces", file, 0,
                       "the file has no faces: the viewer shows the room without a robot");
    }
    const struct {
        int count, limit;
        const char *plural;
        bool problem;
        const char *effect;
    } capacities[] = {
        {vertices, vertexLimit, "vertices", true,
         "corners that use the others are drawn at the model's origin"},
        {texcoords, vertexLimit, "texture vertices", false,
         "the viewer does not texture the head, so this does not show"},
        {normals, vertexLimit, "normals", true, "corners that use the others are lit wrongly"},
        {faceRecords, faceLimit, "faces", true, "the head has holes"},
    };
    for (const auto &c : capacities) {
        if (c.count > c.limit) {
            report.add("capacity", c.problem, file, 0,
                       "the file has " + withCommas(c.count) + " " + c.plural + ", more than the " +
                           withCommas(c.limit) + " the viewer holds: it leaves out the rest, and " +
                           c.effect + " (robot-import model simplifies a model to fit)");
        }
    }
    checkFaceNumbers(report, file, facts);
    checkModelSize(report, file);
}

// ---------------------------------------------------------------------------------------------
// The wall image
// ---------------------------------------------------------------------------------------------

std::uint32_t little(const std::string &bytes, size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; i--) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    }
    return value;
}

bool powerOfTwo(long long side) {
    return side > 0 && (side & (side - 1)) == 0;
}

// Why the viewer refuses the image, from its header and length, as its reader decides.
std::string refusal(const std::string &header, long long length) {
    if (header.size() < headerSize) {
        return "the file is " + counted(length, "byte", "bytes") + " long, shorter than the " +
               std::to_string(headerSize) + "-byte header";
    }
    const long long width = static_cast<std::int32_t>(little(header, widthField, 4));
    const long long height = static_cast<std::int32_t>(little(header, heightField, 4));
    const unsigned bits = little(header, bitsField, 2);
    if (bits != 24) {
        return "the image has " + std::to_string(bits) +
               " bits a pixel; the viewer takes only 24 (robot-import texture writes that)";
    }
    if (width <= 0 || height <= 0) {
        const std::string sides = std::to_string(width) + " x " + std::to_string(height);
        return height < 0 && width > 0
                   ? "the image's height is negative (" + sides +
                         ": rows stored from the top), which the viewer does not take"
                   : "the image's sides, " + sides + ", are not both positive";
    }
    // Sides below 2^31 make a product below 2^62: exact, and checked before the times 3.
    if (width * height > INT32_MAX / 3) {
        return "the image's pixel data, " + std::to_string(width) + " x " + std::to_string(height) +
               " x 3 bytes, is more than the viewer reads";
    }
    const long long need = width * height * 3;
    if (length - static_cast<long long>(headerSize) < need) {
        return "the file holds " +
               withCommas(std::max(0LL, length - static_cast<long long>(headerSize))) +
               " bytes of pixels after the header, fewer than the " + std::to_string(width) +
               " x " + std::to_string(height) + " x 3 = " + withCommas(need) + " it needs";
    }
    return "the viewer cannot read it";
}

void checkImage(Report &report, const std::string &path, const std::string &file) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        report.problem("image missing", file, 0,
                       std::string("there is no such file: ") + quitsText);
        return;
    }
    if (!S_ISREG(status.st_mode)) {
        report.problem("image missing", file, 0,
                       std::string("this is not a regular file: ") + quitsText);
        return;
    }
    std::ifstream stream(path, std::ios::binary);
    std::string header(headerSize, '\0');
    stream.read(header.data(), static_cast<std::streamsize>(headerSize));
    header.resize(static_cast<size_t>(std::max<std::streamsize>(0, stream.gcount())));
    const long long length = status.st_size;

    // The viewer's own reader, as each of its four texture loads runs it.
    int width = 0, height = 0;
    unsigned char *pixels = nullptr;
    if (bitmapRead(path.c_str(), &width, &height, &pixels) != 0) {
        std::printf("%s: the viewer cannot load it.\n", file.c_str());
        report.problem("image refused", file, 0, refusal(header, length) + ": " + quitsText);
        return;
    }
    std::free(pixels);
    std::printf("%s: %d x %d pixels, 24 bits a pixel: the viewer loads it.\n", file.c_str(), width,
                height);

    const std::uint32_t dataOffset = little(header, dataOffsetField, 4);
    const std::uint32_t compression = little(header, compressionField, 4);
    if (header[0] != 'B' || header[1] != 'M') {
        report.note(
            "signature", file, 0,
            "the file does not begin with \"BM\": the viewer does not mind, other programs will");
    }
    if (compression != 0) {
        report.problem("compression", file, 0,
                       "the image is compressed (method " + std::to_string(compression) +
                           "): the viewer takes the compressed bytes for pixels, and shows "
                           "garbage");
    }
    if (dataOffset != headerSize) {
        report.problem("data offset", file, 0,
                       "the image's pixels begin at byte " + withCommas(dataOffset) +
                           ", but the viewer reads them from byte 54 on: the picture comes out "
                           "shifted, in the wrong colours");
    }
    const long long rowBytes = 3LL * width;
    const long long paddedRow = (rowBytes + 3) / 4 * 4;
    if (rowBytes != paddedRow) {
        if (length - static_cast<long long>(headerSize) >= paddedRow * height) {
            report.problem("padding", file, 0,
                           "the image's rows are " + std::to_string(width) +
                               " pixels wide, which a BMP pads to a multiple of 4 bytes; the "
                               "viewer reads the filler bytes as pixels, and the picture comes "
                               "out sheared (use a width that is a multiple of 4)");
        } else {
            report.note(
                "padding", file, 0,
                "the image's rows are stored without the padding to 4 bytes that a BMP has: the "
                "viewer shows it right, other programs will not");
        }
    }
    if (!powerOfTwo(width) || !powerOfTwo(height)) {
        report.problem("power of two", file, 0,
                       std::to_string(width) + " x " + std::to_string(height) +
                           ": sides that are not powers of two; OpenGL 1.1 refuses such a "
                           "texture, and the viewer then draws the room flat red (Mesa and most "
                           "current drivers accept it; robot-import texture resamples the "
                           "picture)");
    }
    if (width > largestSafeSide || height > largestSafeSide) {
        report.note("large", file, 0,
                    "sides over " + std::to_string(largestSafeSide) +
                        " pixels may be more than some OpenGL implementations take; the viewer "
                        "then draws the room flat red");
    }
}

// "dir/name", or just "name" for the current directory.
std::string inDirectory(const std::string &dir, const std::string &name) {
    if (dir == "." || dir == "./") {
        return name;
    }
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

} // namespace

int checkAssets(const std::string &dir) {
    struct stat status {};
    if (stat(dir.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        complain(dir + ": not a directory");
        return exitUsage;
    }
    Report report;
    const std::string model = inDirectory(dir, modelFileName);
    checkModel(report, model, model);
    report.print();
    const std::string image = inDirectory(dir, wallImageFile);
    checkImage(report, image, image);
    report.print();
    if (report.problems() == 0) {
        std::printf("Both files are fine: the viewer will show them as they are.\n");
        return exitDone;
    }
    std::printf("%s: the viewer will not show these files as they are meant.\n",
                counted(report.problems(), "problem", "problems").c_str());
    return exitFailed;
}
