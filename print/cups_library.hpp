// libcups, loaded when a hard copy first needs it rather than when the
// program starts: linking it pulls in some thirty libraries (TLS, Kerberos,
// D-Bus, ...) whose loading took two thirds of every start, for a library
// most runs never call.
#pragma once

#include <cups/cups.h>

namespace novemra {

// The libcups functions the hard copy calls, by their own names and types.
#define NOVEMRA_CUPS_FUNCTIONS(X) \
    X(cupsEncodeOptions2)         \
    X(cupsEncryption)             \
    X(cupsFreeDests)              \
    X(cupsGetNamedDest)           \
    X(cupsGetResponse)            \
    X(cupsSendRequest)            \
    X(cupsServer)                 \
    X(cupsSetPasswordCB2)         \
    X(cupsUser)                   \
    X(cupsWriteRequestData)       \
    X(httpAssembleURIf)           \
    X(httpClose)                  \
    X(httpConnect2)               \
    X(httpEncryption)             \
    X(httpSetTimeout)             \
    X(ippAddString)               \
    X(ippDelete)                  \
    X(ippLength)                  \
    X(ippNewRequest)              \
    X(ippPort)

struct CupsLibrary {
#define NOVEMRA_CUPS_MEMBER(name) decltype(&::name) name = nullptr;
    NOVEMRA_CUPS_FUNCTIONS(NOVEMRA_CUPS_MEMBER)
#undef NOVEMRA_CUPS_MEMBER
};

// The loaded library, loaded at the first call; null when it cannot be
// loaded or lacks a function, and then no hard copy is made. Stays loaded
// for the life of the process.
const CupsLibrary* cupsLibrary();

}  // namespace novemra
