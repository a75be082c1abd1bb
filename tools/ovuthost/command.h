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
  const wchar_t* example = nullptr;  // arguments of an example run (OVUTHOST_EXAMPLE)
  bool exampleRuns = true;            // false: shown by "help", never run by --run-examples
};

void Register(Command* c);
// The registered command of that name (case-insensitive), or null.
const Command* Find(const wchar_t* name);
// Runs a command with the given arguments (argv[0] is the command name); -1 when unknown.
int Run(int argc, wchar_t** argv);
struct Registrar {
  explicit Registrar(Command* c) { Register(c); }
};
struct ExampleSetter {
  ExampleSetter(Command* c, const wchar_t* example, bool runs = true) {
    c->example = example;
    c->exampleRuns = runs;
  }
};

// Console output in UTF-8 that works for pipes and consoles alike.
void Print(const wchar_t* format, ...);

}  // namespace ovuthost

#define OVUTHOST_COMMAND(ident, name, usage, fn)              \
  static ::ovuthost::Command ident##_cmd = {name, usage, fn, nullptr}; \
  static ::ovuthost::Registrar ident##_reg(&ident##_cmd)

// Optional, after OVUTHOST_COMMAND in the same file: an example for "ovuthost help", the
// arguments after the command name, runnable from the repository's root folder through
// scripts/demo.sh (which turns existing relative paths into ones the host can open).
#define OVUTHOST_EXAMPLE(ident, example) static ::ovuthost::ExampleSetter ident##_example(&ident##_cmd, example)
// An example "help" shows but --run-examples skips (one that ends the process on purpose).
#define OVUTHOST_SHOWN_EXAMPLE(ident, example) \
  static ::ovuthost::ExampleSetter ident##_example(&ident##_cmd, example, false)
