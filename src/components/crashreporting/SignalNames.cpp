#include "components/crashreporting/SignalNames.h"

#include <csignal>

namespace crashreporting {

const char* signalName(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGILL:
            return "SIGILL";
        case SIGFPE:
            return "SIGFPE";
        case SIGABRT:
            return "SIGABRT";
        case SIGTRAP:
            return "SIGTRAP";
        case SIGSYS:
            return "SIGSYS";
        default:
            return "SIG???";
    }
}

const char* signalCodeName(int signal, int code) {
    // Codes from a sender other than the kernel mean the same for every signal.
    switch (code) {
        case SI_USER:
            return "SI_USER";
        case SI_QUEUE:
            return "SI_QUEUE";
        case SI_TKILL:
            return "SI_TKILL";
        case SI_KERNEL:
            return "SI_KERNEL";
        case SI_TIMER:
            return "SI_TIMER";
        case SI_MESGQ:
            return "SI_MESGQ";
        case SI_ASYNCIO:
            return "SI_ASYNCIO";
        default:
            break;
    }
    switch (signal) {
        case SIGSEGV:
            switch (code) {
                case SEGV_MAPERR:
                    return "SEGV_MAPERR";
                case SEGV_ACCERR:
                    return "SEGV_ACCERR";
#ifdef SEGV_BNDERR
                case SEGV_BNDERR:
                    return "SEGV_BNDERR";
#endif
#ifdef SEGV_PKUERR
                case SEGV_PKUERR:
                    return "SEGV_PKUERR";
#endif
            }
            break;
        case SIGBUS:
            switch (code) {
                case BUS_ADRALN:
                    return "BUS_ADRALN";
                case BUS_ADRERR:
                    return "BUS_ADRERR";
                case BUS_OBJERR:
                    return "BUS_OBJERR";
                case BUS_MCEERR_AR:
                    return "BUS_MCEERR_AR";
                case BUS_MCEERR_AO:
                    return "BUS_MCEERR_AO";
            }
            break;
        case SIGILL:
            switch (code) {
                case ILL_ILLOPC:
                    return "ILL_ILLOPC";
                case ILL_ILLOPN:
                    return "ILL_ILLOPN";
                case ILL_ILLADR:
                    return "ILL_ILLADR";
                case ILL_ILLTRP:
                    return "ILL_ILLTRP";
                case ILL_PRVOPC:
                    return "ILL_PRVOPC";
                case ILL_PRVREG:
                    return "ILL_PRVREG";
                case ILL_COPROC:
                    return "ILL_COPROC";
                case ILL_BADSTK:
                    return "ILL_BADSTK";
            }
            break;
        case SIGFPE:
            switch (code) {
                case FPE_INTDIV:
                    return "FPE_INTDIV";
                case FPE_INTOVF:
                    return "FPE_INTOVF";
                case FPE_FLTDIV:
                    return "FPE_FLTDIV";
                case FPE_FLTOVF:
                    return "FPE_FLTOVF";
                case FPE_FLTUND:
                    return "FPE_FLTUND";
                case FPE_FLTRES:
                    return "FPE_FLTRES";
                case FPE_FLTINV:
                    return "FPE_FLTINV";
                case FPE_FLTSUB:
                    return "FPE_FLTSUB";
            }
            break;
        case SIGTRAP:
            switch (code) {
                case TRAP_BRKPT:
                    return "TRAP_BRKPT";
                case TRAP_TRACE:
                    return "TRAP_TRACE";
            }
            break;
        case SIGSYS:
            if (code == 1) return "SYS_SECCOMP";  // the kernel's value; glibc's headers do not name it
            break;
    }
    return "UNKNOWN";
}

bool signalHasFaultAddress(int signal) {
    return signal == SIGSEGV || signal == SIGBUS || signal == SIGILL || signal == SIGFPE;
}

}  // namespace crashreporting
