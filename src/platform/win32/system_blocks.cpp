// Blocks of 64 KB and more come straight from the system and go back to it when freed, as
// glibc's malloc does above its mmap threshold. The heap keeps a freed block's pages for the
// next block that fits in them (Wine's heap never gives them back), and the pictures made at the
// detail and the steps kept between two rotations of the surround, tens to hundreds of kilobytes
// each and of other sizes every time, left it more in pieces at every rotation: at 4K the
// screen saver grew by about a megabyte a minute.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kFromSystem = 64 * 1024;
// Before each block, its size, so that delete knows where it came from; 16 bytes keep what
// follows aligned for anything new gives.
constexpr std::size_t kHeader = 16;

void* Take(std::size_t n) noexcept {
    if (n == 0) n = 1;
    if (n > SIZE_MAX - kHeader) return nullptr;
    const std::size_t total = n + kHeader;
    void* block = n >= kFromSystem
                      ? VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE)
                      : std::malloc(total);
    if (!block) return nullptr;
    *static_cast<std::size_t*>(block) = n;
    return static_cast<char*>(block) + kHeader;
}

void Give(void* p) noexcept {
    if (!p) return;
    void* block = static_cast<char*>(p) - kHeader;
    if (*static_cast<const std::size_t*>(block) >= kFromSystem)
        VirtualFree(block, 0, MEM_RELEASE);
    else
        std::free(block);
}

void* TakeOrThrow(std::size_t n) {
    for (;;) {
        if (void* p = Take(n)) return p;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

void* TakeOrNull(std::size_t n) noexcept {
    try {
        return TakeOrThrow(n);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

void* operator new(std::size_t n) { return TakeOrThrow(n); }
void* operator new[](std::size_t n) { return TakeOrThrow(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return TakeOrNull(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return TakeOrNull(n); }
void operator delete(void* p) noexcept { Give(p); }
void operator delete[](void* p) noexcept { Give(p); }
void operator delete(void* p, std::size_t) noexcept { Give(p); }
void operator delete[](void* p, std::size_t) noexcept { Give(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Give(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Give(p); }
