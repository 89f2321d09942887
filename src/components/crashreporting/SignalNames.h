#pragma once

// Names of fatal signals and of their si_code values, as static texts that a
// signal handler may use.

namespace crashreporting {

// "SIGSEGV" and so on; "SIG???" for a signal not in the table.
const char* signalName(int signal);
// "SEGV_MAPERR", "SI_USER" and so on; "UNKNOWN" when the code means nothing
// for that signal.
const char* signalCodeName(int signal, int code);
// Whether si_addr is meaningful for the signal (the faulting address).
bool signalHasFaultAddress(int signal);

}  // namespace crashreporting
