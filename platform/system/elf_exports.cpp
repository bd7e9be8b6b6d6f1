// Reads an ELF file's header, section headers and dynamic symbol table with pread, checking
// every offset and size against the file, and looks for defined, exported functions by name.
#include "system/elf_exports.h"

#include <elf.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "system/regular_file.h"

namespace vexil {
namespace sys {
namespace {

// Far above any real library; a file or table past these is no plug-in we would load.
constexpr uint64_t kMaxLibraryBytes = uint64_t{1} << 30;
constexpr uint64_t kMaxTableBytes = uint64_t{64} << 20;

#if defined(__x86_64__)
constexpr int kMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr int kMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr int kMachine = EM_386;
#elif defined(__arm__)
constexpr int kMachine = EM_ARM;
#elif defined(__riscv)
constexpr int kMachine = EM_RISCV;
#else
constexpr int kMachine = EM_NONE;  // unknown here: the loader itself tells the machine apart
#endif

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr unsigned char kData = ELFDATA2LSB;
#else
constexpr unsigned char kData = ELFDATA2MSB;
#endif

// The native ELF class's types: Elf64_* on 64-bit builds.
constexpr bool k64 = sizeof(void*) == 8;
using Header = std::conditional_t<k64, Elf64_Ehdr, Elf32_Ehdr>;
using Section = std::conditional_t<k64, Elf64_Shdr, Elf32_Shdr>;
using Symbol = std::conditional_t<k64, Elf64_Sym, Elf32_Sym>;
constexpr unsigned char kClass = k64 ? ELFCLASS64 : ELFCLASS32;

// Closes the descriptor when it goes.
struct Descriptor {
  explicit Descriptor(int opened) : fd(opened) {}
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int fd;
};

// Reads `bytes` at `offset`, which must lie inside a file of `size` bytes.
bool ReadAt(int fd, uint64_t size, uint64_t offset, uint64_t bytes, void* out) {
  if (offset > size || bytes > size - offset) return false;
  auto* to = static_cast<unsigned char*>(out);
  uint64_t done = 0;
  while (done < bytes) {
    const ssize_t n = ::pread(fd, to + done, bytes - done, static_cast<off_t>(offset + done));
    if (n <= 0) return false;
    done += static_cast<uint64_t>(n);
  }
  return true;
}

bool IsExportedFunction(const Symbol& symbol) {
  const int type = ELF64_ST_TYPE(symbol.st_info);
  const int bind = ELF64_ST_BIND(symbol.st_info);
  const int visibility = ELF64_ST_VISIBILITY(symbol.st_other);
  return symbol.st_shndx != SHN_UNDEF && (type == STT_FUNC || type == STT_GNU_IFUNC) &&
         (bind == STB_GLOBAL || bind == STB_WEAK) &&
         (visibility == STV_DEFAULT || visibility == STV_PROTECTED);
}

std::string ListOf(const std::vector<std::string>& names) {
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += names[i];
  }
  return text;
}

}  // namespace

bool ElfDefinesFunctions(const std::string& path, const std::vector<std::string>& functions,
                         std::string* why) {
  std::string error;
  uint64_t size = 0;
  bool notFound = false;
  Descriptor file(OpenRegularFile(path, kMaxLibraryBytes, &size, &error, &notFound));
  if (file.fd < 0) {
    *why = error;
    return false;
  }
  Header header{};
  if (!ReadAt(file.fd, size, 0, sizeof header, &header) ||
      std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) {
    *why = "not a shared library (no ELF header)";
    return false;
  }
  if (header.e_ident[EI_CLASS] != kClass || header.e_ident[EI_DATA] != kData ||
      (kMachine != EM_NONE && header.e_machine != kMachine)) {
    *why = "a library for another kind of machine";
    return false;
  }
  if (header.e_type != ET_DYN) {
    *why = "not a shared library (an ELF file of another type)";
    return false;
  }
  // Section headers: their count lives in the first header when it does not fit in 16 bits.
  uint64_t count = header.e_shnum;
  Section first{};
  if (header.e_shoff == 0 || header.e_shentsize != sizeof(Section) ||
      !ReadAt(file.fd, size, header.e_shoff, sizeof first, &first)) {
    *why = "a shared library without section headers, whose exports cannot be read";
    return false;
  }
  if (count == 0) count = first.sh_size;
  if (count == 0 || count > size / sizeof(Section)) {
    *why = "a damaged shared library (bad section headers)";
    return false;
  }
  std::vector<Section> sections(count);
  if (!ReadAt(file.fd, size, header.e_shoff, count * sizeof(Section), sections.data())) {
    *why = "a damaged shared library (bad section headers)";
    return false;
  }
  const auto dynsym = std::find_if(sections.begin(), sections.end(),
                                   [](const Section& s) { return s.sh_type == SHT_DYNSYM; });
  if (dynsym == sections.end() || dynsym->sh_link >= count ||
      sections[dynsym->sh_link].sh_type != SHT_STRTAB) {
    *why = "a library that exports nothing (no dynamic symbol table)";
    return false;
  }
  const Section& strtab = sections[dynsym->sh_link];
  if (dynsym->sh_size > kMaxTableBytes || strtab.sh_size > kMaxTableBytes || strtab.sh_size == 0) {
    *why = "a damaged shared library (bad symbol table)";
    return false;
  }
  std::vector<Symbol> symbols(dynsym->sh_size / sizeof(Symbol));
  std::vector<char> names(strtab.sh_size + 1, '\0');
  if (!ReadAt(file.fd, size, dynsym->sh_offset, symbols.size() * sizeof(Symbol), symbols.data()) ||
      !ReadAt(file.fd, size, strtab.sh_offset, strtab.sh_size, names.data())) {
    *why = "a damaged shared library (bad symbol table)";
    return false;
  }
  std::vector<std::string> missing = functions;
  for (const Symbol& symbol : symbols) {
    if (symbol.st_name >= strtab.sh_size || !IsExportedFunction(symbol)) continue;
    const char* name = names.data() + symbol.st_name;  // the extra zero ends the last name
    missing.erase(std::remove(missing.begin(), missing.end(), name), missing.end());
    if (missing.empty()) return true;
  }
  *why = "it does not define " + ListOf(missing);
  return false;
}

}  // namespace sys
}  // namespace vexil
