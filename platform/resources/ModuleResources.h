// The resources of each module. A module's compiled resources are embedded
// in its image at build time and registered when the image is loaded
// (RavlinRegisterResources, called by the generated code), keyed by the
// module's HMODULE; they are dropped again when the image is unloaded.
#pragma once

#include "core/Machine.h"
#include "resources/ResFile.h"

#include <win/types.h>

#include <vector>

namespace plat::resources {

// Registers the .res bytes of a module (which must stay mapped until
// Unregister). False with `error` when the bytes are broken.
bool Register(HMODULE module, const BYTE* data, size_t size, ResFileError* error);
void Unregister(HMODULE module);

// The languages a lookup tries, in order, for the language asked for.
//   a language L:        L, then L's language with the neutral sublanguage,
//                        then the neutral language (0x0000);
//   LANG_NEUTRAL (0):    0x0000, the user's UI language, the user default,
//                        the system default (each also with its neutral
//                        sublanguage), English (0x0409, 0x0009), and at
//                        last any language the resource has.
// 0x0400 and 0x0800 stand for the user and the system default language.
struct LanguageOrder {
    std::vector<LANGID> languages;
    bool anyLanguage = false;
};
LanguageOrder SearchOrder(LANGID requested, const Languages& machine);

// Finds a resource. On failure returns null and sets `error` to
// ERROR_RESOURCE_DATA_NOT_FOUND (the module has no resources),
// ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND or
// ERROR_RESOURCE_LANG_NOT_FOUND. The entry stays valid while the module is
// registered.
const ResEntry* Find(HMODULE module, const ResName& type, const ResName& name, LANGID language, DWORD* error);

// Whether `entry` is one of the module's resources (a valid HRSRC).
bool Owns(HMODULE module, const ResEntry* entry);

// Called when a module's resources go away (for example its cached icons).
using UnregisterHook = void (*)(HMODULE module);
void OnUnregister(UnregisterHook hook);

} // namespace plat::resources
