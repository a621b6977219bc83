// Sounds are recorded, never played.
#include "world.h"

using namespace winsim;

// ---- PlaySoundW ----
// With SND_ALIAS_ID the "name" is a system sound's identifier.
WINSIM_API BOOL WINAPI PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags) {
    if (sim::ShouldFail("PlaySoundW")) return FALSE;
    sim::SoundRecord record;
    record.sound = reinterpret_cast<ULONG_PTR>(sound);
    if (sound && (flags & SND_ALIAS_ID) != SND_ALIAS_ID) record.name = Str(sound);
    record.module = module;
    record.flags = flags;
    W().ui.sounds.push_back(record);
    return TRUE;
}

namespace sim {

std::vector<SoundRecord> Sounds() { return W().ui.sounds; }

}  // namespace sim
