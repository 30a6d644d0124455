// Settings from config.ini, read with the system's profile functions and
// their rules: a missing key gives the default; an integer value without
// leading digits gives 0; a string is cut to capacity - 1 characters. The
// programs never write the file.
//
// The short forms read the program's own config.ini (ProcessPaths()); the
// forms with a file read another one, such as the one beside a setup library.
#pragma once
#include <cstdint>
#include <string>

namespace zel {

int32_t ReadInt(const wchar_t* section, const wchar_t* key, int32_t def);
int32_t ReadInt(const char* section, const char* key, int32_t def);
std::wstring ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* def,
                        uint32_t capacity);
std::string ReadString(const char* section, const char* key, const char* def, uint32_t capacity);

int32_t ReadInt(const std::wstring& file, const wchar_t* section, const wchar_t* key, int32_t def);
int32_t ReadInt(const std::string& file, const char* section, const char* key, int32_t def);
std::wstring ReadString(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                        const wchar_t* def, uint32_t capacity);
std::string ReadString(const std::string& file, const char* section, const char* key,
                       const char* def, uint32_t capacity);

}  // namespace zel
