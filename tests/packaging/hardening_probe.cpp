// Never run: hardening_test.sh reads its machine code. Built with the
// project's flags, it holds the two calls whose hardened forms can be seen in
// any program: a formatted write into a stack buffer of known size, which
// _FORTIFY_SOURCE turns into __snprintf_chk, and a stack allocation of a size
// known only at run time, which -fstack-clash-protection probes page by page.
#include <alloca.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

int main(int argc, char**) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", argc);
    const std::size_t size = static_cast<std::size_t>(argc) * 8192;
    auto* block = static_cast<char*>(alloca(size));
    std::memset(block, argc, size);
    std::puts(text);
    return block[size - 1];
}
