#include "resources/ModuleResources.h"

#include <win/errors.h>

#include <algorithm>
#include <functional>
#include <map>
#include <mutex>

namespace plat::resources {
namespace {

struct Registry {
    std::mutex mutex;
    std::map<HMODULE, std::vector<ResEntry>> modules;
    std::vector<UnregisterHook> hooks;
};

Registry& registry()
{
    static Registry* instance = new Registry; // used by images unloaded at exit
    return *instance;
}

void addLanguage(std::vector<LANGID>& list, LANGID language)
{
    if (std::find(list.begin(), list.end(), language) == list.end())
        list.push_back(language);
}

void addWithNeutral(std::vector<LANGID>& list, LANGID language)
{
    addLanguage(list, language);
    addLanguage(list, static_cast<LANGID>(MAKELANGID(PRIMARYLANGID(language), SUBLANG_NEUTRAL)));
}

} // namespace

bool Register(HMODULE module, const BYTE* data, size_t size, ResFileError* error)
{
    std::vector<ResEntry> entries;
    if (!ParseResFile(data, size, &entries, error))
        return false;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.modules[module] = std::move(entries);
    return true;
}

void Unregister(HMODULE module)
{
    Registry& r = registry();
    std::vector<UnregisterHook> hooks;
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        r.modules.erase(module);
        hooks = r.hooks;
    }
    for (UnregisterHook hook : hooks)
        hook(module);
}

void OnUnregister(UnregisterHook hook)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (std::find(r.hooks.begin(), r.hooks.end(), hook) == r.hooks.end())
        r.hooks.push_back(hook);
}

LanguageOrder SearchOrder(LANGID requested, const Languages& machine)
{
    if (requested == MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT))
        requested = machine.userDefault;
    else if (requested == MAKELANGID(LANG_NEUTRAL, 0x02 /* SUBLANG_SYS_DEFAULT */))
        requested = machine.systemDefault;

    LanguageOrder order;
    if (requested != 0) {
        addWithNeutral(order.languages, requested);
        addLanguage(order.languages, 0);
        return order;
    }
    addLanguage(order.languages, 0);
    addWithNeutral(order.languages, machine.userUI);
    addWithNeutral(order.languages, machine.userDefault);
    addWithNeutral(order.languages, machine.systemDefault);
    addWithNeutral(order.languages, 0x0409);
    order.anyLanguage = true;
    return order;
}

const ResEntry* Find(HMODULE module, const ResName& type, const ResName& name, LANGID language, DWORD* error)
{
    const Machine* machine = CurrentMachine();
    LanguageOrder order = SearchOrder(language, machine ? machine->Langs() : Languages{});

    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.modules.find(module);
    if (it == r.modules.end()) {
        *error = ERROR_RESOURCE_DATA_NOT_FOUND;
        return nullptr;
    }
    std::vector<const ResEntry*> named;
    bool typeFound = false;
    for (const ResEntry& entry : it->second) {
        if (!entry.type.Matches(type))
            continue;
        typeFound = true;
        if (entry.name.Matches(name))
            named.push_back(&entry);
    }
    if (named.empty()) {
        *error = typeFound ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND;
        return nullptr;
    }
    for (LANGID wanted : order.languages) {
        for (const ResEntry* entry : named) {
            if (entry->language == wanted)
                return entry;
        }
    }
    if (order.anyLanguage)
        return named.front();
    *error = ERROR_RESOURCE_LANG_NOT_FOUND;
    return nullptr;
}

bool Owns(HMODULE module, const ResEntry* entry)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.modules.find(module);
    if (it == r.modules.end() || it->second.empty() || !entry)
        return false;
    const ResEntry* first = it->second.data();
    const ResEntry* last = first + it->second.size();
    if (std::less<const ResEntry*>()(entry, first) || !std::less<const ResEntry*>()(entry, last))
        return false;
    auto offset = reinterpret_cast<uintptr_t>(entry) - reinterpret_cast<uintptr_t>(first);
    return offset % sizeof(ResEntry) == 0;
}

} // namespace plat::resources
