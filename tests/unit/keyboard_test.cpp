// The keyboard handlers, key by key: which motion state each key changes, and that every key
// but Esc asks for a redraw.
#include <GL/glut.h>
#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "glut_stub.h"
#include "render/render.h"
#include "shell/shell.h"

namespace {

// Values that no key sets, so that any change shows.
constexpr int untouchedDirection = 7;
constexpr float untouchedX = 3.5f;
constexpr float untouchedZ = -8.25f;

void resetMotion() {
    ssx = ssy = ssz = untouchedDirection;
    sx = 11;
    sy = 22;
    sz = 33;
    posx = untouchedX;
    posz = untouchedZ;
    redisplayRequests = 0;
}

// The letters and what each does, in lower case.
struct LetterEffect {
    char letter;
    int *direction;
    int value;
};

const std::vector<LetterEffect> &letterEffects() {
    static const std::vector<LetterEffect> effects = {
        {'q', &ssx, 1}, {'e', &ssx, -1}, {'w', &ssx, 0},  {'a', &ssy, 1}, {'d', &ssy, -1},
        {'s', &ssy, 0}, {'x', &ssz, 1},  {'v', &ssz, -1}, {'c', &ssz, 0},
    };
    return effects;
}

} // namespace

// Every character code: only the nine letters, in either case, change a spin direction, and
// each of those changes exactly one; nothing touches the angles or the offsets; every code
// asks for exactly one redraw.
TEST(Keyboard, EveryCharacterCode) {
    for (int code = 0; code < 256; code++) {
        if (code == 27) {
            continue; // Esc ends the process; see below.
        }
        SCOPED_TRACE("code " + std::to_string(code));
        resetMotion();
        onKeyboard(static_cast<unsigned char>(code), 123, 456);

        const int lower = code >= 'A' && code <= 'Z' ? code + 32 : code;
        int expected[3] = {untouchedDirection, untouchedDirection, untouchedDirection};
        const int *const directions[3] = {&ssx, &ssy, &ssz};
        for (const LetterEffect &effect : letterEffects()) {
            if (effect.letter == lower) {
                for (int axis = 0; axis < 3; axis++) {
                    if (directions[axis] == effect.direction) {
                        expected[axis] = effect.value;
                    }
                }
            }
        }
        EXPECT_EQ(ssx, expected[0]);
        EXPECT_EQ(ssy, expected[1]);
        EXPECT_EQ(ssz, expected[2]);
        EXPECT_EQ(sx, 11);
        EXPECT_EQ(sy, 22);
        EXPECT_EQ(sz, 33);
        EXPECT_EQ(posx, untouchedX);
        EXPECT_EQ(posz, untouchedZ);
        EXPECT_EQ(redisplayRequests, 1);
    }
}

// A direction stays as set until another key of its axis changes it.
TEST(Keyboard, DirectionsStayUntilChanged) {
    resetMotion();
    for (const char *keys : {"qax", "QAX"}) {
        ssx = ssy = ssz = 0;
        for (const char *key = keys; *key != '\0'; key++) {
            onKeyboard(static_cast<unsigned char>(*key), 0, 0);
        }
        EXPECT_EQ(ssx, 1);
        EXPECT_EQ(ssy, 1);
        EXPECT_EQ(ssz, 1);
        for (const int other : {int{'y'}, int{'z'}, int{'b'}, int{'1'}, int{' '}, 127}) {
            onKeyboard(static_cast<unsigned char>(other), 0, 0);
        }
        EXPECT_EQ(ssx, 1);
        EXPECT_EQ(ssy, 1);
        EXPECT_EQ(ssz, 1);
        onKeyboard('e', 0, 0);
        EXPECT_EQ(ssx, -1) << "e reverses at once";
        onKeyboard('W', 0, 0);
        EXPECT_EQ(ssx, 0);
        EXPECT_EQ(ssy, 1);
    }
}

// Esc ends the process at once with status 0: no redraw is asked for and nothing is printed.
TEST(KeyboardDeathTest, EscapeEndsTheProcessQuietly) {
    EXPECT_EXIT(
        {
            exitOnRedisplay = true;
            onKeyboard(27, 0, 0);
            _exit(4); // not reached when Esc ends the process
        },
        testing::ExitedWithCode(0), "^$");
}

// Every special-key code: only the four arrows move the head, by one unit each; every code
// asks for exactly one redraw.
TEST(Keyboard, EverySpecialKeyCode) {
    std::vector<int> codes = {INT_MIN, -1, INT_MAX};
    for (int code = 0; code <= 512; code++) {
        codes.push_back(code);
    }
    for (const int code : codes) {
        SCOPED_TRACE("special key " + std::to_string(code));
        resetMotion();
        onKeySpecial(code, 5, 6);
        const float dx = code == GLUT_KEY_LEFT ? -1.0f : code == GLUT_KEY_RIGHT ? 1.0f : 0.0f;
        const float dz = code == GLUT_KEY_UP ? -1.0f : code == GLUT_KEY_DOWN ? 1.0f : 0.0f;
        EXPECT_EQ(posx, untouchedX + dx);
        EXPECT_EQ(posz, untouchedZ + dz);
        EXPECT_EQ(ssx, untouchedDirection);
        EXPECT_EQ(ssy, untouchedDirection);
        EXPECT_EQ(ssz, untouchedDirection);
        EXPECT_EQ(sx, 11);
        EXPECT_EQ(redisplayRequests, 1);
    }
    EXPECT_EQ(GLUT_KEY_LEFT, 100);
    EXPECT_EQ(GLUT_KEY_UP, 101);
    EXPECT_EQ(GLUT_KEY_RIGHT, 102);
    EXPECT_EQ(GLUT_KEY_DOWN, 103);
}

// Twenty presses of Up from the start bring the head from 20 to 0; the offsets have no bounds.
TEST(Keyboard, ArrowsAddUp) {
    posx = 0.0f;
    posz = 20.0f;
    for (int press = 0; press < 20; press++) {
        onKeySpecial(GLUT_KEY_UP, 0, 0);
    }
    EXPECT_EQ(posz, 0.0f);
    for (int press = 0; press < 200; press++) {
        onKeySpecial(GLUT_KEY_LEFT, 0, 0);
    }
    EXPECT_EQ(posx, -200.0f) << "the head can leave the room";
}
