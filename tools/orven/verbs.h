// verbs.h - one entry per verb of the orven command; each parses argv from
// index 2 (argv[1] is the verb) and returns the exit status.
#pragma once

namespace orven::cli {

int RunSay(int argc, char** argv);
int RunPlay(int argc, char** argv);
int RunBatch(int argc, char** argv);
int RunMix(int argc, char** argv);
int RunInfo(int argc, char** argv);
int RunErrors(int argc, char** argv);

}  // namespace orven::cli
