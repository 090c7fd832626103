#pragma once
// Every key the gate reads: its section, its name and the type its reader converts to.

#include <span>
#include <string_view>

namespace check {

enum class KeyType { String, Boolean, Long, Integer };

struct KeySpec {
    std::string_view section;
    std::string_view name;
    KeyType type;
    // Read only by the gate's own additions (the time-limit warning), not by the original
    // program; a file written for the original never has them.
    bool addition = false;
};

std::span<const KeySpec> knownKeys();

// The key of that name, in whatever section it belongs to; null for an unknown name. Names are
// matched without regard to case, as the gate matches them.
const KeySpec* findKey(std::string_view name);

// The sections the gate reads, in the order of the table.
std::span<const std::string_view> knownSections();

// The known section of that name as the table spells it; empty for an unknown one.
std::string_view knownSection(std::string_view name);

}  // namespace check
