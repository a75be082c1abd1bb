// Commands of the demonstration host. Each command file registers itself with OVUTHOST_COMMAND,
// so adding a command never touches main.cpp.
#pragma once
#include <windows.h>

namespace ovuthost {

using CommandFn = int (*)(int argc, wchar_t** argv);  // argv[0] is the command name

struct Command {
  const wchar_t* name;
  const wchar_t* usage;
  CommandFn run;
  Command* next;
};

void Register(Command* c);
// The registered command of that name (case-insensitive), or null.
const Command* Find(const wchar_t* name);
// Runs a command with the given arguments (argv[0] is the command name); -1 when unknown.
int Run(int argc, wchar_t** argv);
struct Registrar {
  explicit Registrar(Command* c) { Register(c); }
};

// Console output in UTF-8 that works for pipes and consoles alike.
void Print(const wchar_t* format, ...);

}  // namespace ovuthost

#define OVUTHOST_COMMAND(ident, name, usage, fn)              \
  static ::ovuthost::Command ident##_cmd = {name, usage, fn, nullptr}; \
  static ::ovuthost::Registrar ident##_reg(&ident##_cmd)
