// Every switch the viewer has, one row each: its key, how the overlay names
// it and its two states, and the flag it flips. The keys, the overlay (and
// anything else that shows or flips a switch) read this table, so a new
// switch is a row here plus the flag and what reads it.
#pragma once

#include <span>
#include <string>

struct Switch {
    int key;              // the GLFW key whose release flips it
    const char* keyName;  // the key as the overlay names it
    const char* label;
    const char* onWord;
    const char* offWord;
    bool* flag;
    // The light's flag says "paused": that switch is on while its flag is false.
    bool flagMeansOff = false;
    // Whether "off" is an effect not at work (drawn dim); both camera modes are at work.
    bool offIsDim = true;
    // H shows the overlay itself, so its state is no line there: the overlay's key line names it.
    bool listedOnOverlay = true;
    // What flipping does besides the flag (leaving free look levels the camera).
    void (*afterFlip)() = nullptr;
    // A second key that flips it (F11, as every desktop program has it); 0 for none.
    int otherKey = 0;
    // A switch of more than two states (V's views) steps through them: `step`
    // runs in place of flipping the flag, which then says whether it has left
    // its first state, and `stateText` names the state for the overlay.
    void (*step)() = nullptr;
    std::string (*stateText)() = nullptr;
};

// Whether releasing `key` flips `row`.
bool flippedBy(const Switch& row, int key);

// In the order the overlay lists them: the three effects, the light, the
// camera, fullscreen, the view, then H.
std::span<const Switch> switchTable();

bool switchOn(const Switch& row);
void flipSwitch(const Switch& row);
