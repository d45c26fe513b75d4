// The subcommands of pwinspect. Each takes the arguments after its own name, writes
// JSON lines or bytes to standard output and returns the process exit code
// (0 success, 1 nothing found or decoded, 2 usage).
#pragma once

int CmdDecode(int argc, char16_t** argv);
int CmdList(int argc, char16_t** argv);
int CmdRead(int argc, char16_t** argv);
int CmdSettings(int argc, char16_t** argv);
int CmdPages(int argc, char16_t** argv);
int CmdExtract(int argc, char16_t** argv);
int CmdPack(int argc, char16_t** argv);
int CmdScale(int argc, char16_t** argv);
