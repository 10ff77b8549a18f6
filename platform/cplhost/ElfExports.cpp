#include "cplhost/ElfExports.h"

#include <cstring>
#include <elf.h>
#include <fstream>
#include <iterator>
#include <vector>

namespace plat::cplhost {
namespace {

template <typename T>
bool readAt(const std::vector<char>& file, uint64_t offset, T* out)
{
    if (offset > file.size() || file.size() - offset < sizeof(T))
        return false;
    std::memcpy(out, file.data() + offset, sizeof(T));
    return true;
}

template <typename Ehdr, typename Phdr, typename Shdr, typename Sym, unsigned char (*Bind)(unsigned char),
          unsigned char (*Type)(unsigned char)>
bool findExport(const std::vector<char>& file, const std::string& name)
{
    Ehdr header;
    if (!readAt(file, 0, &header) || header.e_type != ET_DYN || header.e_shentsize != sizeof(Shdr))
        return false;
    // A position-independent program is ET_DYN as well; it names an interpreter.
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        Phdr segment;
        if (!readAt(file, header.e_phoff + uint64_t{i} * sizeof(Phdr), &segment) || segment.p_type == PT_INTERP)
            return false;
    }
    for (unsigned i = 0; i < header.e_shnum; ++i) {
        Shdr symbols;
        if (!readAt(file, header.e_shoff + uint64_t{i} * sizeof(Shdr), &symbols))
            return false;
        if (symbols.sh_type != SHT_DYNSYM || symbols.sh_entsize != sizeof(Sym))
            continue;
        Shdr strings;
        if (!readAt(file, header.e_shoff + uint64_t{symbols.sh_link} * sizeof(Shdr), &strings))
            return false;
        for (uint64_t at = 0; at + sizeof(Sym) <= symbols.sh_size; at += sizeof(Sym)) {
            Sym symbol;
            if (!readAt(file, symbols.sh_offset + at, &symbol))
                return false;
            if (symbol.st_shndx == SHN_UNDEF || Type(symbol.st_info) != STT_FUNC ||
                (Bind(symbol.st_info) != STB_GLOBAL && Bind(symbol.st_info) != STB_WEAK))
                continue;
            uint64_t nameAt = strings.sh_offset + symbol.st_name;
            if (symbol.st_name >= strings.sh_size || nameAt + name.size() + 1 > file.size())
                continue;
            if (std::memcmp(file.data() + nameAt, name.c_str(), name.size() + 1) == 0)
                return true;
        }
    }
    return false;
}

unsigned char bind64(unsigned char info)
{
    return ELF64_ST_BIND(info);
}
unsigned char type64(unsigned char info)
{
    return ELF64_ST_TYPE(info);
}
unsigned char bind32(unsigned char info)
{
    return ELF32_ST_BIND(info);
}
unsigned char type32(unsigned char info)
{
    return ELF32_ST_TYPE(info);
}

} // namespace

bool ExportsFunction(const std::string& hostPath, const std::string& name)
{
    std::ifstream in(hostPath, std::ios::binary);
    if (!in)
        return false;
    std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() < EI_NIDENT || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0)
        return false;
    if (file[EI_CLASS] == ELFCLASS64)
        return findExport<Elf64_Ehdr, Elf64_Phdr, Elf64_Shdr, Elf64_Sym, bind64, type64>(file, name);
    if (file[EI_CLASS] == ELFCLASS32)
        return findExport<Elf32_Ehdr, Elf32_Phdr, Elf32_Shdr, Elf32_Sym, bind32, type32>(file, name);
    return false;
}

} // namespace plat::cplhost
