// robot-import's command line: the three commands (model, texture, check), their options, help
// and usage errors.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator> // std::begin, std::end
#include <string>
#include <vector>

#include "robot_import.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

const char *const usageText = "Usage: robot-import model IN [-o OUT] [--z-up] [--no-simplify]\n"
                              "       robot-import texture IN [-o OUT] [--floor]\n"
                              "       robot-import check [DIR]\n"
                              "       robot-import [COMMAND] --help\n";

const char *const helpText =
    "Brings your own model and picture into the two files that the robot viewer reads,\n"
    "and tells you what the viewer will make of them.\n"
    "\n"
    "  model IN [-o OUT]     Reads a model (OBJ, PLY, STL, glTF, FBX, 3DS, DAE and the other\n"
    "                        formats of the Open Asset Import Library), makes triangles,\n"
    "                        adds smooth normals where it has none, centres it and scales it\n"
    "                        to 200 units tall, and writes it as OUT (head.obj) in the\n"
    "                        viewer's dialect. A model larger than the viewer holds (9,999\n"
    "                        vertices, 19,999 triangles) is simplified to fit.\n"
    "      --z-up            the model's up is its z axis (many STL and CAD files), not y\n"
    "      --no-simplify     refuse a model that is too large instead of simplifying it\n"
    "\n"
    "  texture IN [-o OUT]   Reads a picture (PNG, JPEG, BMP, TGA, GIF, PSD, PNM), resamples\n"
    "                        it to sides that are powers of two from 4 to 1024, and writes it\n"
    "                        as OUT (wall7.bmp), the 24-bit BMP the viewer loads, turned so\n"
    "                        that it stands upright on the back wall.\n"
    "      --floor           make it upright on the floor instead\n"
    "\n"
    "  check [DIR]           Reads head.obj and wall7.bmp in DIR (the current directory) the\n"
    "                        way the viewer does, and says what it will show: problems (it\n"
    "                        would show them otherwise than meant, or quit) and notes (no\n"
    "                        effect in this viewer). Exit status 0 when there are no\n"
    "                        problems, 1 when there are.\n"
    "\n"
    "  -o, --output OUT      the file to write; never the input itself\n"
    "  -h, --help            show this help\n"
    "\n"
    "Exit status: 0 done, 1 failed (or check found problems), 2 wrong command line.\n";

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int usageError(const std::string &message) {
    complain(message);
    std::fputs(usageText, stderr);
    std::fprintf(stderr, "Try '%s --help' for more.\n", programName);
    return exitUsage;
}

int help() {
    std::fputs(usageText, stdout);
    std::fputs("\n", stdout);
    std::fputs(helpText, stdout);
    return exitDone;
}

// The command line after the command's name: its options, and its other arguments in order.
struct Arguments {
    std::vector<std::string> operands;
    std::string output;
    bool outputGiven = false;
    bool zUp = false;
    bool noSimplify = false;
    bool floor = false;
    bool help = false;
};

// The options that only set a flag, by their long names.
struct Flag {
    const char *name;
    bool Arguments::*field;
};
const Flag flags[] = {
    {"--z-up", &Arguments::zUp},
    {"--no-simplify", &Arguments::noSimplify},
    {"--floor", &Arguments::floor},
};

bool isAllowed(const std::vector<std::string> &allowed, const std::string &name) {
    return std::find(allowed.begin(), allowed.end(), name) != allowed.end();
}

// Takes the file name that follows the output option args[k] into `parsed`, and moves `k` on
// to it. Returns an empty string, or what is wrong with the command line.
std::string takeOutput(const std::vector<std::string> &args, size_t &k, Arguments &parsed) {
    const std::string &option = args[k];
    if (k + 1 >= args.size()) {
        return "option " + option + " needs a file name";
    }
    if (parsed.outputGiven) {
        return "option " + option + " given twice";
    }
    parsed.output = args[++k];
    parsed.outputGiven = true;
    if (parsed.output.empty()) {
        return "option " + option + " needs a file name";
    }
    return "";
}

// Sets the flag that `option` names when it is one of `allowed`. Returns false when it names
// no flag that the command takes.
bool takeFlag(const std::string &option, const std::vector<std::string> &allowed,
              Arguments &parsed) {
    const Flag *const end = std::end(flags);
    const Flag *const flag =
        std::find_if(std::begin(flags), end, [&](const Flag &f) { return option == f.name; });
    if (flag == end || !isAllowed(allowed, option)) {
        return false;
    }
    parsed.*(flag->field) = true;
    return true;
}

// Parses `args`, accepting the options in `allowed` (a list of long names). Returns an empty
// string, or what is wrong with the command line.
std::string parse(const std::vector<std::string> &args, const std::vector<std::string> &allowed,
                  Arguments &parsed) {
    bool optionsEnded = false;
    for (size_t k = 0; k < args.size(); k++) {
        const std::string &arg = args[k];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            parsed.operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            parsed.help = true;
        } else if ((arg == "-o" || arg == "--output") && isAllowed(allowed, "--output")) {
            std::string wrong = takeOutput(args, k, parsed);
            if (!wrong.empty()) {
                return wrong;
            }
        } else if (!takeFlag(arg, allowed, parsed)) {
            return "unknown option " + arg;
        }
    }
    return "";
}

int runModel(const std::vector<std::string> &args) {
    Arguments a;
    const std::string wrong = parse(args, {"--output", "--z-up", "--no-simplify"}, a);
    if (a.help) {
        return help();
    }
    if (!wrong.empty()) {
        return usageError("model: " + wrong);
    }
    if (a.operands.size() != 1) {
        return usageError(a.operands.empty() ? "model: which model file?"
                                             : "model: one model file at a time");
    }
    ModelOptions options;
    options.zUp = a.zUp;
    options.simplify = !a.noSimplify;
    return importModel(a.operands[0], a.outputGiven ? a.output : "head.obj", options);
}

int runTexture(const std::vector<std::string> &args) {
    Arguments a;
    const std::string wrong = parse(args, {"--output", "--floor"}, a);
    if (a.help) {
        return help();
    }
    if (!wrong.empty()) {
        return usageError("texture: " + wrong);
    }
    if (a.operands.size() != 1) {
        return usageError(a.operands.empty() ? "texture: which picture?"
                                             : "texture: one picture at a time");
    }
    TextureOptions options;
    options.floor = a.floor;
    return importTexture(a.operands[0], a.outputGiven ? a.output : "wall7.bmp", options);
}

int runCheck(const std::vector<std::string> &args) {
    Arguments a;
    const std::string wrong = parse(args, {}, a);
    if (a.help) {
        return help();
    }
    if (!wrong.empty()) {
        return usageError("check: " + wrong);
    }
    if (a.operands.size() > 1) {
        return usageError("check: one directory at a time");
    }
    return checkAssets(a.operands.empty() ? "." : a.operands[0]);
}

} // namespace

int main(int argc, char **argv) {
    const std::vector<std::string> args(argv + (argc > 1 ? 2 : argc), argv + argc);
    if (argc < 2) {
        return usageError("which command: model, texture or check?");
    }
    const std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        return help();
    }
    if (command == "model") {
        return runModel(args);
    }
    if (command == "texture") {
        return runTexture(args);
    }
    if (command == "check") {
        return runCheck(args);
    }
    return usageError("unknown command " + command);
}
