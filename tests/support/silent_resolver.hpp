// A name resolver that never answers, for the process that calls this: in
// mount and network namespaces of its own, /etc/resolv.conf names one
// nameserver on 127.0.0.1, where a socket takes queries and answers none.
#pragma once

namespace novemra::testing {

// False when namespaces cannot be made here (not root, or not allowed).
// Meant for a child process made for the purpose: it cannot be undone.
bool isolateNameResolution();

}  // namespace novemra::testing
