// The model store and the model file reader: "head.obj", a small subset of the Wavefront OBJ
// text format ending with a line that begins with "@", read into fixed-capacity arrays.
#include "assets/model.h"

#include <climits>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// Model file of each slot, read by relative name from the working directory; only slot 1 has
// one.
static const char *const modelFiles[modelSlotCount] = {nullptr, "head.obj"};

// The largest magnitudes that "%d" can store, as digits: 2147483647 and, after a minus sign,
// 2147483648.
static const char largestPositive[] = "2147483647";
static const char largestNegative[] = "2147483648";
constexpr int largestDigits = 10;

// ---------------------------------------------------------------------------------------------
// The model store: program lifetime, zero until the reader fills it (3,440,000 bytes).
// ---------------------------------------------------------------------------------------------

float vertex[modelSlotCount][vertexCapacity][4];
float Nvector[modelSlotCount][vertexCapacity][4];
float Tvertex[modelSlotCount][vertexCapacity][3];
std::int32_t faces[modelSlotCount][faceCapacity][4][4];
int f_celkem[modelSlotCount];

// ---------------------------------------------------------------------------------------------
// The reader's working state.
// ---------------------------------------------------------------------------------------------

// The piece of the line being read, zero-terminated; empty at the start.
char radek[lineBufferSize];
// The open model file; null when none is being read.
FILE *in = nullptr;
// Records seen per kind (vertices, texture vertices, normals, faces); 0 at the start.
int i1 = 0, i2 = 0, i3 = 0, i4 = 0;
// End flag: 1 once the end marker was read; 0 at the start.
int err = 0;
// Per slot: whether the reader may have stored records in it since the slot was last emptied;
// false at the start, when the whole store is zero. Only the reader writes the store, so a
// slot whose flag is false holds zeros and emptying it need not write it: at start-up the
// slot's 1.7 MB are then never touched, and the system gives them no memory.
static bool slotWritten[modelSlotCount] = {};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int countRecord(int count) {
    return count < INT_MAX ? count + 1 : INT_MAX;
}

static bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Writes every run of decimal digits in `text` whose value lies beyond what a 32-bit int holds
// as the largest value that it holds, with the run's sign: "%d" would store such a number with
// undefined behaviour (glibc keeps its low 32 bits, so 4294967297 would become 1). A run that
// "%d" reads is read whole, and its sign is the character right before it, so every number
// that fits is scanned exactly as before, and every one that does not becomes INT_MAX or
// INT_MIN, which no face number in range can be mistaken for.
static void limitNumbers(char *text) {
    char *to = text;
    const char *from = text;
    while (*from != '\0') {
        if (!isDigit(*from)) {
            *to++ = *from++;
            continue;
        }
        const char *digits = from;
        while (isDigit(*from)) {
            from++;
        }
        // Leading zeros do not count towards the value.
        const char *significant = digits;
        while (significant + 1 < from && *significant == '0') {
            significant++;
        }
        const bool negative = to > text && to[-1] == '-';
        const char *largest = negative ? largestNegative : largestPositive;
        const long length = from - significant;
        const bool tooLarge =
            length > largestDigits ||
            (length == largestDigits && std::strncmp(significant, largest, largestDigits) > 0);
        if (tooLarge) {
            std::memcpy(to, largest, largestDigits);
            to += largestDigits;
        } else {
            // Moves the run down: `to` never passes `digits`.
            std::memmove(to, digits, static_cast<size_t>(from - digits));
            to += from - digits;
        }
    }
    *to = '\0';
}

// Replaces each "/" of a face line by a blank, from the fourth character up to the newline or
// the end of the text; a line shorter than four characters keeps its slashes.
static void replaceSlashes(char *line) {
    const size_t length = std::strlen(line);
    for (size_t k = 3; k < length && line[k] != '\n'; k++) {
        if (line[k] == '/') {
            line[k] = ' ';
        }
    }
}

// Takes one piece of a line (in radek) into `slot`. Each kind's counter is advanced before its
// record is scanned, so a record takes an entry even when nothing in it converts; records
// beyond the capacity are counted and not stored. Fields that do not convert stay 0.
//
// The scans' results are not used, and sscanf is the converter on purpose: the file format is
// defined by the formatted scan, which stops at the first field that does not convert and leaves
// it and the later ones as they were (zero). Numbers too large for a face number's int are
// limited before the scan; a float beyond the float range is stored as an infinity (glibc's
// strtof rules).
// NOLINTBEGIN(cert-err33-c,cert-err34-c)
static void readRecord(int slot) {
    if (radek[0] == '@') {
        err = 1;
    }
    if (radek[0] == 'v' && radek[1] != 't' && radek[1] != 'n') {
        i1 = countRecord(i1);
        if (i1 < vertexCapacity) {
            float *v = vertex[slot][i1];
            std::sscanf(radek + 1, "%f %f %f", &v[1], &v[2], &v[3]);
        }
    }
    if (radek[0] == 'v' && radek[1] == 't') {
        i2 = countRecord(i2);
        if (i2 < vertexCapacity) {
            float *t = Tvertex[slot][i2];
            std::sscanf(radek + 2, " %f %f", &t[1], &t[2]);
        }
    }
    if (radek[0] == 'v' && radek[1] == 'n') {
        i3 = countRecord(i3);
        if (i3 < vertexCapacity) {
            float *n = Nvector[slot][i3];
            std::sscanf(radek + 2, "%f %f %f", &n[1], &n[2], &n[3]);
        }
    }
    if (radek[0] == 'f') {
        i4 = countRecord(i4);
        if (i4 < faceCapacity) {
            replaceSlashes(radek);
            limitNumbers(radek + 1);
            std::int32_t(*c)[4] = faces[slot][i4];
            std::sscanf(radek + 1, "%d %d %d %d %d %d %d %d %d", &c[1][1], &c[1][2], &c[1][3],
                        &c[2][1], &c[2][2], &c[2][3], &c[3][1], &c[3][2], &c[3][3]);
        }
    }
}
// NOLINTEND(cert-err33-c,cert-err34-c)

void clearModel(int slot) {
    if (slot < 0 || slot >= modelSlotCount) {
        return;
    }
    if (slotWritten[slot]) {
        std::memset(vertex[slot], 0, sizeof vertex[slot]);
        std::memset(Nvector[slot], 0, sizeof Nvector[slot]);
        std::memset(Tvertex[slot], 0, sizeof Tvertex[slot]);
        std::memset(faces[slot], 0, sizeof faces[slot]);
        slotWritten[slot] = false;
    }
    f_celkem[slot] = 0;
    i1 = i2 = i3 = i4 = 0;
    err = 0;
}

void readModel(int slot, FILE *file) {
    if (slot < 0 || slot >= modelSlotCount) {
        return;
    }
    clearModel(slot);
    slotWritten[slot] = true;
    in = file;
    // Ends at the end marker, and at the end of the file or a read error without one: what
    // was read up to there is the model.
    while (err == 0 && std::fgets(radek, lineReadLimit, in) != nullptr) {
        readRecord(slot);
    }
    in = nullptr;
    f_celkem[slot] = i4 < faceCapacity ? i4 : faceCapacity - 1;
}

void loadModel() {
    for (int slot = loadedSlot; slot <= loadedSlot; slot++) {
        FILE *file = std::fopen(modelFiles[slot], "r");
        if (file == nullptr) {
            // No model file: no robot.
            clearModel(slot);
            continue;
        }
        readModel(slot, file);
        // The file was only read: a failure to close it loses nothing.
        (void)std::fclose(file);
    }
}

int modelEntry(int number) {
    return number >= 0 && number < vertexCapacity ? number : 0;
}

void walkModel(int slot,
               void (*corner)(const float *normal, const float *texture, const float *position)) {
    if (slot < 0 || slot >= modelSlotCount) {
        return;
    }
    const int count = f_celkem[slot] < faceCapacity ? f_celkem[slot] : faceCapacity - 1;
    for (int face = 1; face <= count; face++) {
        for (int k = 1; k <= 3; k++) {
            const std::int32_t *c = faces[slot][face][k];
            corner(Nvector[slot][modelEntry(c[3])], Tvertex[slot][modelEntry(c[2])],
                   vertex[slot][modelEntry(c[1])]);
        }
    }
}
