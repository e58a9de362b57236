// Configuration text readers: the backups' tolerant reader takes any bytes without
// touching entries it cannot read, and Open takes a file only when it begins with a
// whole configuration text, otherwise it changes nothing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "channels/image.h"
#include "channels/config_text.h"
#include "documents/file_menu.h"
#include "fuzz/fuzz_support.h"

namespace {

int HexDigit(uint8_t c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The value a pair at `at` of the input stands for, -1 when it is not one.
int PairAt(const uint8_t *data, size_t size, size_t at)
{
    if (at + 1 >= size) return -1;
    int high = HexDigit(data[at]), low = HexDigit(data[at + 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

void CheckTolerantReader(const uint8_t *data, size_t size)
{
    int before[512];
    for (int k = 0; k < 512; k++) aktuelle_daten[k] = before[k] = (k * 7) & 0xFF;
    std::memset(eingangsbuffer, 0, sizeof eingangsbuffer);
    std::memcpy(eingangsbuffer, data, size < sizeof eingangsbuffer ? size : sizeof eingangsbuffer);
    einlesen_ini();
    for (int k = 0; k < 512; k++) {
        int pair = k < 400 ? PairAt(data, size, 2 * static_cast<size_t>(k)) : -1;
        if (aktuelle_daten[k] != (pair >= 0 ? pair : before[k])) std::abort();
    }
}

void CheckOpen(const uint8_t *data, size_t size)
{
    FILE *f = std::fopen("doc.cfg", "wb");
    if (!f) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    for (int k = 0; k < 512; k++) aktuelle_daten[k] = (k * 13) & 0xFF;
    std::snprintf(File_Name, sizeof File_Name, "%s", "before.cfg");
    platform::scripted::ClearJournal();
    platform::scripted::AnswerFileSelect(1, "doc.cfg");
    opens(0, 0, nullptr, 0);

    bool whole = size >= 800;
    for (size_t i = 0; whole && i < 800; i++) whole = HexDigit(data[i]) >= 0;
    for (int k = 0; k < 512; k++) {
        int expected = whole && k < 400 ? PairAt(data, size, 2 * static_cast<size_t>(k)) : (k * 13) & 0xFF;
        if (aktuelle_daten[k] != expected) std::abort();
    }
    if (std::strcmp(File_Name, whole ? "doc.cfg" : "before.cfg") != 0) std::abort();
    if (!whole && platform::scripted::Messages().size() != 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static fuzzsupport::NoPorts noPorts;
    fuzzsupport::EnterWorkDir("config-text");
    fuzzsupport::StartProgram(&noPorts);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CheckTolerantReader(data, size);
    CheckOpen(data, size);
    return 0;
}
