// The INF functions of setupapi.dll. Each computes a Win32 error code from
// the parsed file and sets the last error once, here at the boundary. Names
// come in and text goes out in the machine's ANSI code page; the file's
// Unicode text is compared and converted here, as Windows does it.
#include "core/CodePages.h"
#include "core/LastError.h"
#include "inf/FieldValues.h"
#include "inf/InfFile.h"
#include "inf/InfHandles.h"
#include "inf/InfLoader.h"

#include <win/errors.h>
#include <win/kernel.h>
#include <win/setupapi_inf.h>

#include <cstring>
#include <vector>

using namespace plat::inf;

namespace {

// The line an INFCONTEXT points at, with the file kept alive while it is read.
struct LineRef {
    std::shared_ptr<const InfFile> file;
    const InfSection* section = nullptr;
    const InfLine* line = nullptr;
};

DWORD resolve(const INFCONTEXT* context, LineRef* ref)
{
    if (!context)
        return ERROR_INVALID_PARAMETER;
    ref->file = LookupInf(context->CurrentInf);
    if (!ref->file)
        return ERROR_INVALID_HANDLE;
    if (context->Section >= ref->file->Sections().size())
        return ERROR_LINE_NOT_FOUND;
    ref->section = &ref->file->Sections()[context->Section];
    if (context->Line >= ref->section->Lines().size())
        return ERROR_LINE_NOT_FOUND;
    ref->line = &ref->section->Lines()[context->Line];
    return NO_ERROR;
}

void pointAt(INFCONTEXT* context, HINF inf, size_t section, size_t line)
{
    context->Inf = inf;
    context->CurrentInf = inf;
    context->Section = static_cast<DWORD>(section);
    context->Line = static_cast<DWORD>(line);
}

DWORD findFirstLine(HINF inf, PCSTR sectionName, PCSTR key, PINFCONTEXT context)
{
    std::shared_ptr<const InfFile> file = LookupInf(inf);
    if (!file)
        return ERROR_INVALID_HANDLE;
    if (!sectionName || !context)
        return ERROR_INVALID_PARAMETER;
    auto index = file->SectionIndex(plat::codepages::FromMachineAnsi(sectionName));
    if (!index)
        return ERROR_LINE_NOT_FOUND;
    const InfSection& section = file->Sections()[*index];
    std::optional<size_t> line;
    if (key)
        line = section.FindKey(plat::codepages::FromMachineAnsi(key));
    else if (!section.Lines().empty())
        line = 0;
    if (!line)
        return ERROR_LINE_NOT_FOUND;
    pointAt(context, inf, *index, *line);
    return NO_ERROR;
}

DWORD findNextLine(PINFCONTEXT in, PCSTR key, PINFCONTEXT out)
{
    LineRef ref;
    if (!out)
        return ERROR_INVALID_PARAMETER;
    if (DWORD error = resolve(in, &ref))
        return error;
    size_t from = in->Line + 1;
    std::optional<size_t> line;
    if (key)
        line = ref.section->FindKey(plat::codepages::FromMachineAnsi(key), from);
    else if (from < ref.section->Lines().size())
        line = from;
    if (!line)
        return ERROR_LINE_NOT_FOUND;
    INFCONTEXT next = *in;
    next.Line = static_cast<DWORD>(*line);
    *out = next;
    return NO_ERROR;
}

// Copies `text` and its terminating zero into a caller's buffer with the
// size rules shared by the string functions: the required size is reported
// first, a null buffer only asks for it.
DWORD copyString(const std::string& text, char* buffer, DWORD size, DWORD* required)
{
    DWORD needed = static_cast<DWORD>(text.size() + 1);
    if (required)
        *required = needed;
    if (!buffer)
        return NO_ERROR;
    if (size < needed)
        return ERROR_INSUFFICIENT_BUFFER;
    std::memcpy(buffer, text.c_str(), needed);
    return NO_ERROR;
}

DWORD getStringField(PINFCONTEXT context, DWORD index, PSTR buffer, DWORD size, PDWORD required)
{
    LineRef ref;
    if (DWORD error = resolve(context, &ref))
        return error;
    const std::string* field = ref.line->Field(index);
    if (!field)
        return ERROR_INVALID_PARAMETER;
    return copyString(plat::codepages::ToMachineAnsi(*field), buffer, size, required);
}

DWORD getIntField(PINFCONTEXT context, DWORD index, PINT value)
{
    LineRef ref;
    if (DWORD error = resolve(context, &ref))
        return error;
    const std::string* field = ref.line->Field(index);
    if (!field || !value)
        return ERROR_INVALID_PARAMETER;
    auto parsed = ParseIntField(*field);
    if (!parsed)
        return ERROR_INVALID_DATA;
    *value = *parsed;
    return NO_ERROR;
}

DWORD getBinaryField(PINFCONTEXT context, DWORD index, PBYTE buffer, DWORD size, LPDWORD required)
{
    LineRef ref;
    if (DWORD error = resolve(context, &ref))
        return error;
    size_t count = ref.line->FieldCount();
    if (index == 0 || index > count)
        return ERROR_INVALID_PARAMETER;
    // Every field is read before any size is reported: a field that is no
    // byte makes the call fail with invalid data whatever the buffer.
    std::vector<BYTE> bytes;
    for (size_t i = index; i <= count; ++i) {
        auto byte = ParseHexByteField(*ref.line->Field(i));
        if (!byte)
            return ERROR_INVALID_DATA;
        bytes.push_back(*byte);
    }
    DWORD needed = static_cast<DWORD>(bytes.size());
    if (required)
        *required = needed;
    if (!buffer)
        return NO_ERROR;
    if (size < needed)
        return ERROR_INSUFFICIENT_BUFFER;
    std::memcpy(buffer, bytes.data(), bytes.size());
    return NO_ERROR;
}

// The fields from `index` on, each with its zero, and a final zero; an
// empty field ends the list, as a REG_MULTI_SZ cannot hold an empty string.
DWORD getMultiSzField(PINFCONTEXT context, DWORD index, PSTR buffer, DWORD size, LPDWORD required)
{
    LineRef ref;
    if (DWORD error = resolve(context, &ref))
        return error;
    size_t count = ref.line->FieldCount();
    if (index == 0 || index > count)
        return ERROR_INVALID_PARAMETER;
    std::vector<std::string> texts;
    size_t total = 1;
    for (size_t i = index; i <= count && !ref.line->Field(i)->empty(); ++i) {
        texts.push_back(plat::codepages::ToMachineAnsi(*ref.line->Field(i)));
        total += texts.back().size() + 1;
    }
    if (required)
        *required = static_cast<DWORD>(total);
    if (!buffer)
        return NO_ERROR;
    if (size < total)
        return ERROR_INSUFFICIENT_BUFFER;
    for (const std::string& text : texts) {
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        buffer += text.size() + 1;
    }
    *buffer = '\0';
    return NO_ERROR;
}

} // namespace

extern "C" {

HINF WINAPI SetupOpenInfFileA(PCSTR FileName, PCSTR InfClass, DWORD InfStyle, PUINT ErrorLine)
{
    if (ErrorLine)
        *ErrorLine = 0;
    LoadOutcome outcome = LoadInfFile(FileName, InfStyle, InfClass);
    if (!outcome.file) {
        if (ErrorLine)
            *ErrorLine = outcome.error.line;
        SetLastError(outcome.error.code);
        return INVALID_HANDLE_VALUE;
    }
    HINF inf = InsertInf(std::move(outcome.file));
    SetLastError(NO_ERROR);
    return inf;
}

void WINAPI SetupCloseInfFile(HINF InfHandle)
{
    RemoveInf(InfHandle);
}

BOOL WINAPI SetupFindFirstLineA(HINF InfHandle, PCSTR Section, PCSTR Key, PINFCONTEXT Context)
{
    return plat::Finish(findFirstLine(InfHandle, Section, Key, Context));
}

BOOL WINAPI SetupFindNextLine(PINFCONTEXT ContextIn, PINFCONTEXT ContextOut)
{
    return plat::Finish(findNextLine(ContextIn, nullptr, ContextOut));
}

BOOL WINAPI SetupFindNextMatchLineA(PINFCONTEXT ContextIn, PCSTR Key, PINFCONTEXT ContextOut)
{
    return plat::Finish(findNextLine(ContextIn, Key, ContextOut));
}

BOOL WINAPI SetupGetLineByIndexA(HINF InfHandle, PCSTR Section, DWORD Index, PINFCONTEXT Context)
{
    std::shared_ptr<const InfFile> file = LookupInf(InfHandle);
    if (!file)
        return plat::Finish(ERROR_INVALID_HANDLE);
    if (!Section || !Context)
        return plat::Finish(ERROR_INVALID_PARAMETER);
    auto index = file->SectionIndex(plat::codepages::FromMachineAnsi(Section));
    if (!index || Index >= file->Sections()[*index].Lines().size())
        return plat::Finish(ERROR_LINE_NOT_FOUND);
    pointAt(Context, InfHandle, *index, Index);
    return plat::Finish(NO_ERROR);
}

LONG WINAPI SetupGetLineCountA(HINF InfHandle, PCSTR Section)
{
    std::shared_ptr<const InfFile> file = LookupInf(InfHandle);
    DWORD error = !file ? ERROR_INVALID_HANDLE : !Section ? ERROR_INVALID_PARAMETER : NO_ERROR;
    const InfSection* section = error == NO_ERROR ? file->FindSection(plat::codepages::FromMachineAnsi(Section)) : nullptr;
    if (error == NO_ERROR && !section)
        error = ERROR_SECTION_NOT_FOUND;
    SetLastError(error);
    return section ? static_cast<LONG>(section->Lines().size()) : -1;
}

BOOL WINAPI SetupEnumInfSectionsA(HINF InfHandle, UINT Index, PSTR Buffer, UINT Size, UINT* SizeNeeded)
{
    std::shared_ptr<const InfFile> file = LookupInf(InfHandle);
    if (!file)
        return plat::Finish(ERROR_INVALID_HANDLE);
    if (Index >= file->Sections().size())
        return plat::Finish(ERROR_NO_MORE_ITEMS);
    DWORD needed = 0;
    DWORD error = copyString(plat::codepages::ToMachineAnsi(file->Sections()[Index].Name()), Buffer, Size, &needed);
    if (SizeNeeded)
        *SizeNeeded = needed;
    return plat::Finish(error);
}

DWORD WINAPI SetupGetFieldCount(PINFCONTEXT Context)
{
    LineRef ref;
    DWORD error = resolve(Context, &ref);
    SetLastError(error);
    return error == NO_ERROR ? static_cast<DWORD>(ref.line->FieldCount()) : 0;
}

BOOL WINAPI SetupGetStringFieldA(PINFCONTEXT Context, DWORD FieldIndex, PSTR ReturnBuffer, DWORD ReturnBufferSize,
                                 PDWORD RequiredSize)
{
    return plat::Finish(getStringField(Context, FieldIndex, ReturnBuffer, ReturnBufferSize, RequiredSize));
}

BOOL WINAPI SetupGetIntField(PINFCONTEXT Context, DWORD FieldIndex, PINT IntegerValue)
{
    return plat::Finish(getIntField(Context, FieldIndex, IntegerValue));
}

BOOL WINAPI SetupGetBinaryField(PINFCONTEXT Context, DWORD FieldIndex, PBYTE ReturnBuffer, DWORD ReturnBufferSize,
                                LPDWORD RequiredSize)
{
    return plat::Finish(getBinaryField(Context, FieldIndex, ReturnBuffer, ReturnBufferSize, RequiredSize));
}

BOOL WINAPI SetupGetMultiSzFieldA(PINFCONTEXT Context, DWORD FieldIndex, PSTR ReturnBuffer, DWORD ReturnBufferSize,
                                  LPDWORD RequiredSize)
{
    return plat::Finish(getMultiSzField(Context, FieldIndex, ReturnBuffer, ReturnBufferSize, RequiredSize));
}

} // extern "C"
