// net_service.h - the network area's service hooks for the frame's registry
// (media/core/services.cpp). Nothing else includes this header.
//
// The area starts on first use (a connect, a listen, the end of a listen), not in
// InitMediaLayer, and only while the layer runs.
#ifndef PAVEX_NET_NET_SERVICE_H
#define PAVEX_NET_NET_SERVICE_H

// Inside every message pump: closes the connections whose loss was reported (and
// those in error), then handles the socket events that are waiting.
void NetPump();
// Closes every connection (flushing each as CloseNetWorkHandle does) and the
// listener, and logs the end of the network part. Harmless when it never started.
void NetShutDown();

#endif
