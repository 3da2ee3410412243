#pragma once

// Shared by the window and the key module, which links nothing but the C library and X11.
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Key events travel as 32-bit values in the keystroke layout: bits 0-15 repeat count, 16-23
// scan code, 24 extended-key flag, 30 previous key state, 31 transition state.
namespace keystroke {
constexpr std::uint32_t PreviousState = 0x40000000u;
constexpr std::uint32_t Transition = 0x80000000u;
constexpr std::uint32_t Extended = 0x01000000u;

constexpr std::uint32_t make(unsigned scanCode, bool extended, bool wasDown, bool released) {
    return 1u | (scanCode & 0xffu) << 16 | (extended ? Extended : 0u) |
           (wasDown ? PreviousState : 0u) | (released ? Transition : 0u);
}
} // namespace keystroke

// The per-user shared block "TestHook": its 4 bytes hold the pipe descriptor the module writes to.
namespace hookblock {
inline std::string name(uid_t uid) {
    return "/TestHook-" + std::to_string(uid);
}
constexpr int Size = 4;

// Only a block of our own, readable and writable by us alone, is ever used.
inline bool isPrivate(const struct stat& block) {
    return block.st_uid == getuid() && (block.st_mode & 07777) == 0600 && block.st_size >= Size;
}
} // namespace hookblock
