// Reads a standard (not extended) dialog template resource into plain values,
// so that tests can compare the built templates field by field.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace uitest {

struct DialogItem {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint16_t id = 0;
    // Predefined classes stored as ordinals come back under their names
    // ("Button", "Edit", "Static", ...).
    std::string className;
    std::string text;
    uint16_t creationDataSize = 0;
};

struct DialogTemplate {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::string menu;       // empty: none
    std::string className;  // empty: the system dialog class
    std::string caption;
    uint16_t pointSize = 0;
    std::string face;
    std::vector<DialogItem> items;
};

// False, with the reason in `error`, when the bytes are not a complete
// standard template (or are an extended one).
bool ParseDialogTemplate(const std::vector<uint8_t>& bytes, DialogTemplate* dialog, std::string* error);

}  // namespace uitest
