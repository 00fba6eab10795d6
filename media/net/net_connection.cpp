// net_connection.cpp - TCP connections over integer handles: the connection table and
// the listener, the socket events handled inside every pump, the framed send and
// receive, and the public network calls.
//
// Owns: the network record below (the table of 4096 connection slots plus the
// listener's slot 4096 on the core handle table, the list of connection records,
// newest first) and every connection record with its two rings. Sockets are reached
// only through plat_net.h; the frame only through frame.h. Must not touch: other
// areas' state.
//
// Events: there are no window messages here. A pump handles what is ready the way
// the socket events would: what waits in a send ring is written (SendSocket), a
// readable socket is read into its ring (RecvSocket), a readable listener accepts,
// and the end of a stream (or a failed socket) is the close event. Pumps run in every
// ProcessMessage (the service hook, which also closes reported losses), in
// PumpNetWorkMessages and inside the network calls, at most once per call (and per
// step of a wait); RecvSocket and SendSocket pump too unless their call has, so each
// carries a busy flag: a nested call for the same record does nothing.
// A call looks at the sockets when what they hold can change its answer, and then
// sees everything that has arrived: GetNetWorkDataLength, the Take calls, the state
// query, NetWorkSend (without writing: the sends of a frame leave together at the next
// pump) and PumpNetWorkMessages always; NetWorkRecv only when the ring holds fewer
// bytes than asked (otherwise nothing that arrived could change its answer). A pump
// costs one system call when nothing moves: a poll, or with a single connection and
// no listener a non-blocking read, which tells data, end and failure as the poll
// would.
//
// Waits: the connect (2000 ms) and the flushes of a close (1000 ms each way) are
// measured on the library's millisecond tick, and between checks they wait for the
// socket itself for at most 1 ms and sleep 1 ms. So the limits hold on any clock the
// platform gives, and a test's virtual clock ends a wait on an unreachable peer
// without real seconds passing.
//
// Where this differs from the rules it was built from, for safety:
// - a frame longer than 1 MiB puts the connection in error instead of allocating for
//   it, and a sender never makes such a frame (a longer send leaves as several);
// - NetWorkSend queues its bytes as a frame of their own and the next pump sends all
//   that waits in one system call (a backlog of 16 KiB leaves at once), so the sends
//   of one game frame reach the peer in one segment instead of one segment each;
//   the receive ring grows for the payload bytes that came, not for the length a
//   prefix claims;
// - the rings are capped (net_ring.h). A receive ring that would pass the cap is an
//   error, as a failed growth is; a send ring that would pass it means the peer has
//   stopped reading: the connection is cut and reported lost;
// - a connection closed because of its error flag is still reported once by
//   TakeLostNetWork, so a program that waits for the loss does not wait forever.
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "media/core/api_lock.h"
#include "media/core/frame.h"
#include "media/core/handle_table.h"
#include "media/core/log.h"
#include "media/core/tracked_alloc.h"
#include "media/net/net_frame.h"
#include "media/net/net_ring.h"
#include "media/net/net_service.h"
#include "media/platform/plat_clock.h"
#include "media/platform/plat_net.h"
#include "pavex.h"

namespace {

constexpr int kConnectionSlots = 4096;
constexpr int kListenerSlot = 4096;
constexpr int kDefaultPort = 10001;
constexpr int kBacklog = 5;
constexpr int32_t kConnectTimeoutMs = 2000;
constexpr int32_t kCloseFlushMs = 1000;
constexpr size_t kReceiveChunk = 64 * 1024;
// A send backlog this large leaves in the NetWorkSend call itself instead of waiting
// for the next pump: bulk senders keep the socket busy, small messages travel together.
constexpr int kSendAtOnceBytes = 16 * 1024;

struct NetRecord {
    int inUse;           // 0 while a connect is still waiting (no handle given out)
    int error;           // received data could not be kept: unusable, closed at the next pump
    int connected;       // cleared by the close event
    int lostReported;    // the loss was reported (TakeLostNetWork, GetNetWorkAcceptState)
    int acceptReported;  // TakeAcceptedNetWork reported it (set from the start when connecting)
    int acceptedSide;    // made by accepting
    int framed;          // length-prefixed frames on the wire (always: no unframed option)
    int autoClose;       // closed at the pump after its loss was reported (always)
    int handle;
    int slot;
    int socket;      // -1 when there is none
    int ended;       // the end of the stream or a failure was seen: no more events
    int readable;    // the socket may hold bytes: RecvSocket reads until it is empty
    int sendFailed;  // a send failed: the close does not wait to flush
    int recvBusy;
    int sendBusy;
    NetFrameReader reader;
    NetRing recvRing;
    NetRing sendRing;
    PlatNetAddress peer;
    NetRecord* newer;
    NetRecord* older;
};

struct NetState {
    int started;
    HandleTable table;
    NetRecord* listener;
    NetRecord* newest;  // the list of connection records, newest first
    int dispatching;    // a pump is handling events: nested pumps return at once
    int pumped;         // this call (or wait step) has pumped: its later steps do not poll again
    int acceptBlocked;  // a waiting connection could not be taken; retried when one closes
    int corked;         // inside NetWorkSend: the pump reads but writes nothing
    int lostCount;      // handles of error-closed connections not reported yet
    int lost[kConnectionSlots];
};

// Zero until the network starts; Start sets it up, NetShutDown empties it.
HandleSlot g_slots[kConnectionSlots + 1];
NetState NET;

// What one pump polls: the entries and the record behind each.
PlatNetPollEntry g_pollEntries[kPlatNetPollMax];
NetRecord* g_pollRecords[kPlatNetPollMax];
uint8_t g_receiveChunk[kReceiveChunk];

int32_t ElapsedMs(uint32_t since) {
    return static_cast<int32_t>(PlatTickMillis() - since);
}

// One step of a bounded wait: up to 1 ms on the socket itself, then 1 ms of sleep
// (which is what moves a virtual clock).
void WaitOnSocket(int socket, int want) {
    PlatNetPollEntry entry = {socket, want, 0};
    PlatNetPoll(&entry, 1, 1);
    PlatSleepMillis(1);
    NET.pumped = 0;
}

int LowestFreeSlot() {
    for (int i = 0; i < kConnectionSlots; ++i)
        if (!HandleRecordAt(&NET.table, i)) return i;
    return -1;
}

NetRecord* NewRecord() {
    NetRecord* rec = static_cast<NetRecord*>(PAVEX_ALLOC_ZERO(sizeof(NetRecord)));
    if (!rec) return nullptr;
    rec->socket = -1;
    rec->handle = -1;
    rec->framed = 1;
    rec->autoClose = 1;
    return rec;
}

void Link(NetRecord* rec) {
    rec->newer = nullptr;
    rec->older = NET.newest;
    if (NET.newest) NET.newest->newer = rec;
    NET.newest = rec;
}

void Unlink(NetRecord* rec) {
    if (rec->newer) rec->newer->older = rec->older;
    if (rec->older) rec->older->newer = rec->newer;
    if (NET.newest == rec) NET.newest = rec->older;
    rec->newer = rec->older = nullptr;
}

// Gives back everything of a connection record: socket, rings, slot, memory.
void FreeRecord(NetRecord* rec) {
    PlatNetClose(rec->socket);
    NetRingFree(&rec->recvRing);
    NetRingFree(&rec->sendRing);
    Unlink(rec);
    HandleRemove(&NET.table, HandleAt(&NET.table, rec->slot));
    TrackedFree(rec);
    NET.acceptBlocked = 0;
}

void RememberLost(int handle) {
    if (NET.lostCount == kConnectionSlots) {
        memmove(NET.lost, NET.lost + 1, sizeof NET.lost - sizeof NET.lost[0]);
        --NET.lostCount;
    }
    NET.lost[NET.lostCount++] = handle;
}

// The close event: the peer closed (or the socket failed). Data already in the
// receive ring stays readable; the loss waits to be reported.
void CloseEvent(NetRecord* rec) {
    if (rec->ended) return;
    rec->ended = 1;
    rec->connected = 0;
    rec->lostReported = 0;
}

void SetError(NetRecord* rec) {
    CloseEvent(rec);
    rec->error = 1;
}

// The peer takes nothing while the program keeps sending: the connection is cut (the
// peer sees the end of the stream) and reported lost; what was queued is dropped.
void CutStalledPeer(NetRecord* rec) {
    LogString("相手が受信しないため送信データが上限を超えました。接続を切断します\n");
    PlatNetShutdown(rec->socket);
    NetRingFree(&rec->sendRing);
    CloseEvent(rec);
}

void Dispatch();

// Everything the socket holds now goes through the frame reader into the receive ring.
int RecvSocketBody(NetRecord* rec) {
    if (rec->error) {
        LogString("このネットワークハンドルにはエラーが発生しています in RecvSocket\n");
        return -1;
    }
    if (!rec->inUse) {
        LogString("有効なネットワークハンドルではありません in RecvSocket\n");
        return -1;
    }
    while (rec->readable && rec->socket >= 0 && !rec->ended) {
        long n = PlatNetRecv(rec->socket, g_receiveChunk, sizeof g_receiveChunk);
        if (n == kPlatNetAgain) {
            rec->readable = 0;
            break;
        }
        if (n <= 0) {
            CloseEvent(rec);
            break;
        }
        uint32_t length = 0;
        int64_t tried = 0;
        NetFrameResult r = NetFrameFeed(&rec->reader, &rec->recvRing, g_receiveChunk,
                                        static_cast<size_t>(n), &length, &tried);
        if (r == NET_FRAME_OK) {
            // A short read emptied the socket: asking again would only say so. More
            // data, or the end of the stream, shows at the next poll.
            if (static_cast<size_t>(n) < sizeof g_receiveChunk) rec->readable = 0;
            continue;
        }
        if (r == NET_FRAME_NO_ROOM)
            LogFormat("リングバッファの再確保に失敗しました(確保しようとしたサイズ %lld byte)",
                      static_cast<long long>(tried));
        LogFormat(
            "受信データを保存するリングバッファのリサイズに失敗しました(データサイズ %u byte)",
            length);
        SetError(rec);
        return -1;
    }
    return 0;
}

int RecvSocket(NetRecord* rec) {
    if (rec->recvBusy) return -1;
    rec->recvBusy = 1;
    Dispatch();
    int result = RecvSocketBody(rec);
    rec->recvBusy = 0;
    return result;
}

// Sends what waits in the send ring. The ring holds whole frames as they go on the
// wire (NetWorkSend puts each call's prefix in front of its bytes), so everything
// queued since the last pump leaves in one system call: the game's four sends of a
// frame travel as one segment, each still its own frame.
int SendSocketBody(NetRecord* rec) {
    if (rec->error) {
        LogString("このネットワークハンドルにはエラーが発生しています in SendSocket\n");
        return -1;
    }
    if (!rec->inUse) {
        LogString("有効なネットワークハンドルではありません in SendSocket\n");
        return -1;
    }
    while (rec->socket >= 0 && !rec->sendFailed && rec->sendRing.count > 0) {
        PlatNetSpan spans[2];
        const uint8_t *a, *b;
        int aSize, bSize;
        NetRingReadSpans(&rec->sendRing, rec->sendRing.count, &a, &aSize, &b, &bSize);
        spans[0] = {a, static_cast<size_t>(aSize)};
        spans[1] = {b, static_cast<size_t>(bSize)};
        long n = PlatNetSend(rec->socket, spans, 2);
        if (n <= 0) {
            // A failed socket shows up as a close event.
            if (n == kPlatNetFailed) rec->sendFailed = 1;
            break;
        }
        NetRingDrop(&rec->sendRing, static_cast<int>(n));
        if (n < aSize + bSize) break;  // the socket is full
    }
    return 0;
}

int SendSocket(NetRecord* rec) {
    if (rec->sendBusy) return -1;
    rec->sendBusy = 1;
    Dispatch();
    int result = SendSocketBody(rec);
    rec->sendBusy = 0;
    return result;
}

// The accept event: takes waiting connections while slots are free. A connection
// that finds none stays unaccepted until a slot frees.
void AcceptNetWork() {
    for (;;) {
        int slot = LowestFreeSlot();
        if (slot < 0) {
            LogString("空きソケットデータがなかったので accept を拒否しました \n");
            NET.acceptBlocked = 1;
            return;
        }
        NetRecord* rec = NewRecord();
        if (!rec) {
            LogString("ソケット用のメモリの確保に失敗しました\n");
            return;
        }
        int step = 0;
        int socket = PlatNetAccept(NET.listener->socket, &rec->peer, &step);
        if (socket < 0) {
            TrackedFree(rec);
            if (socket == kPlatNetAgain) return;
            LogString(step == PLAT_NET_STEP_OPTIONS ? "WSAAsyncSelectのエラー in AcceptNetWork\n"
                                                    : "acceptに失敗しました\n");
            // Out of descriptors, say: tried again once a connection is closed, not on
            // every pump.
            NET.acceptBlocked = 1;
            return;
        }
        rec->socket = socket;
        rec->slot = slot;
        rec->inUse = 1;
        rec->connected = 1;
        rec->acceptedSide = 1;
        rec->handle = HandleAdd(&NET.table, rec, slot);
        Link(rec);
    }
}

bool Live(const NetRecord* rec) {
    return rec->inUse && rec->socket >= 0 && !rec->ended;
}

// Handles the socket events that are waiting, without waiting for any. Writes come
// first and go straight to the socket (its own answer says whether it took them), so
// a reply already on its way is seen by the look for reads that follows. That look
// is one poll over the listener and every connection, or, when a single connection
// is all there is (a match), one non-blocking read of it: the read says as much as
// the poll (data, end of stream, failure) and brings the data in the same call.
void Dispatch() {
    if (!NET.started || NET.dispatching || NET.pumped) return;
    NET.dispatching = 1;
    NET.pumped = 1;
    int count = 0;
    NetRecord* only = nullptr;
    for (NetRecord* rec = NET.newest; rec; rec = rec->older) {
        if (!Live(rec)) continue;
        if (rec->sendRing.count > 0 && !NET.corked) SendSocket(rec);
        only = count++ == 0 ? rec : nullptr;
    }
    const bool listening = NET.listener && !NET.acceptBlocked;
    if (only && !listening) {
        only->readable = 1;
        RecvSocket(only);
    } else if (count > 0 || listening) {
        count = 0;
        if (listening) {
            g_pollEntries[count] = {NET.listener->socket, PLAT_NET_READABLE, 0};
            g_pollRecords[count++] = NET.listener;
        }
        for (NetRecord* rec = NET.newest; rec && count < kPlatNetPollMax; rec = rec->older) {
            if (!Live(rec)) continue;
            g_pollEntries[count] = {rec->socket, PLAT_NET_READABLE, 0};
            g_pollRecords[count++] = rec;
        }
        if (PlatNetPoll(g_pollEntries, count, 0) > 0) {
            for (int i = 0; i < count; ++i) {
                NetRecord* rec = g_pollRecords[i];
                if (!g_pollEntries[i].got) continue;
                if (rec->socket != g_pollEntries[i].socket) {
                    LogString("通信エラー No.1\n");
                    continue;
                }
                if (rec == NET.listener) {
                    AcceptNetWork();
                    continue;
                }
                rec->readable = 1;
                RecvSocket(rec);
            }
        }
    }
    NET.dispatching = 0;
}

// CloseNetWorkHandle on a record (its caller has pumped): a frame partly received is
// given up to a second to come in, pending sends up to a second to leave, then
// everything is freed.
void CloseRecord(NetRecord* rec) {
    uint32_t start = PlatTickMillis();
    while (rec->socket >= 0 && !rec->ended && NetFramePartial(&rec->reader) &&
           ElapsedMs(start) < kCloseFlushMs) {
        if (RecvSocket(rec) != 0 || !NetFramePartial(&rec->reader) || rec->ended) break;
        WaitOnSocket(rec->socket, PLAT_NET_READABLE);
    }
    start = PlatTickMillis();
    while (rec->socket >= 0 && !rec->error && !rec->sendFailed && rec->sendRing.count > 0 &&
           ElapsedMs(start) < kCloseFlushMs) {
        if (SendSocket(rec) != 0 || rec->sendRing.count == 0 || rec->sendFailed) break;
        WaitOnSocket(rec->socket, PLAT_NET_WRITABLE);
    }
    FreeRecord(rec);
}

// Closes what the pump closes by itself: connections in error, and lost ones whose
// loss was reported.
void AutoClose() {
    for (NetRecord* rec = NET.newest; rec;) {
        NetRecord* older = rec->older;
        if (rec->inUse &&
            (rec->error || (!rec->connected && rec->lostReported && rec->autoClose))) {
            if (!rec->lostReported) RememberLost(rec->handle);
            CloseRecord(rec);
        }
        rec = older;
    }
}

void Pump(int autoClose) {
    if (!NET.started || NET.dispatching) return;
    if (autoClose) AutoClose();
    Dispatch();
}

int Start() {
    if (NET.started) return 0;
    if (!FrameInitialised() || FrameEnding()) return -1;
    LogString("ネットワーク関連を初期化します\n");
    NET.table = HandleTable{
        kHandleNetwork, kConnectionSlots + 1, HANDLE_SEARCH_LOWEST_FREE, g_slots, 0, 0, 0};
    HandleTableReset(&NET.table);
    NET.listener = nullptr;
    NET.newest = nullptr;
    NET.dispatching = 0;
    NET.acceptBlocked = 0;
    NET.lostCount = 0;
    NET.started = 1;
    LogString("初期化を完了しました \n");
    return 0;
}

int PortOrDefault(int port) {
    return port == -1 ? kDefaultPort : port;
}

bool SameAddress(const PlatNetAddress& a, const PlatNetAddress& b) {
    return a.family == b.family && a.port == b.port &&
           memcmp(a.bytes, b.bytes, a.family == 6 ? 16 : 4) == 0;
}

// The connect: an established connection to the same peer is returned again;
// otherwise a new one, waited for up to the time-out. `shown` names the peer in the log.
int Open(const PlatNetAddress& to, const char* shown) {
    Pump(0);
    for (NetRecord* rec = NET.newest; rec; rec = rec->older)
        if (rec->inUse && rec->connected && SameAddress(rec->peer, to)) return rec->handle;

    const int slot = LowestFreeSlot();
    if (slot < 0) {
        LogString("ソケットに空きがありません\n");
        return -1;
    }
    NetRecord* rec = NewRecord();
    if (!rec) {
        LogString("ソケット用のメモリの確保に失敗しました\n");
        return -1;
    }
    rec->acceptReported = 1;
    rec->peer = to;
    rec->slot = slot;
    // The slot is held while the connect waits; the handle's check number is given
    // only to a connection that was made.
    HandleAdd(&NET.table, rec, slot, 0);
    Link(rec);

    int step = 0;
    rec->socket = to.port >= 0 && to.port <= 65535 ? PlatNetConnect(&to, &step) : -1;
    if (rec->socket < 0 && step == PLAT_NET_STEP_SOCKET) {
        LogString("WINSOCK.DLLが動作していません、ソケットの作成に失敗しました\n");
        FreeRecord(rec);
        return -1;
    }
    if (rec->socket < 0 && step == PLAT_NET_STEP_OPTIONS) {
        LogString("WSAAsyncSelectでエラーが発生しました\n");
        FreeRecord(rec);
        return -1;
    }
    int state = -1;
    const uint32_t start = PlatTickMillis();
    while (rec->socket >= 0) {
        if (FramePump() == -1) break;  // the program is ending: no more waiting
        state = PlatNetConnectState(rec->socket);
        if (state != 0 || ElapsedMs(start) >= kConnectTimeoutMs) break;
        WaitOnSocket(rec->socket, PLAT_NET_WRITABLE);
    }
    if (state != 1) {
        LogFormat("%s への接続に失敗しました。", shown);
        FreeRecord(rec);
        return -1;
    }
    HandleRemove(&NET.table, HandleAt(&NET.table, slot));
    rec->handle = HandleAdd(&NET.table, rec, slot);
    rec->inUse = 1;
    rec->connected = 1;
    return rec->handle;
}

// The connection record behind a handle, or null (the listener is no connection).
NetRecord* Lookup(int handle) {
    if (!NET.started) return nullptr;
    NetRecord* rec = static_cast<NetRecord*>(HandleGet(&NET.table, handle));
    return rec == NET.listener ? nullptr : rec;
}

// Lookup with the messages of a public call: a stale handle is refused silently, a
// record not in use or in error with a log line naming `call` (`errorCall` for the
// error line, which one call spells its own way).
NetRecord* Validate(int handle, const char* call, const char* errorCall = nullptr) {
    NetRecord* rec = Lookup(handle);
    if (!rec) return nullptr;
    if (!rec->inUse) {
        LogFormat("有効なネットワークハンドルではありません in %s", call);
        return nullptr;
    }
    if (rec->error) {
        LogFormat("このネットワークハンドルにはエラーが発生しています in %s",
                  errorCall ? errorCall : call);
        return nullptr;
    }
    return rec;
}

int Receive(int handle, void* buffer, int length, bool remove) {
    NetRecord* rec = Validate(handle, remove ? "NetWorkRecv" : "NetWorkRecvToPeek");
    if (!rec || length < 0 || (!buffer && length > 0)) return -1;
    // Bytes the ring holds already are the answer whatever has arrived since, so only
    // a short ring looks at the sockets.
    if (rec->recvRing.count < length) RecvSocket(rec);
    if (rec->error || rec->recvRing.count < length) return -1;
    NetRingPeek(&rec->recvRing, buffer, length);
    if (remove) NetRingDrop(&rec->recvRing, length);
    return 0;
}

// Queues the bytes as frames (at most kNetFrameMaxPayload each) behind what waits.
// They leave at the next pump that writes (PumpNetWorkMessages, ProcessMessage, any
// other call that pumps but NetWorkSend, the background pump at the latest), so the
// sends a program makes in a row travel together; a backlog of kSendAtOnceBytes goes
// out at once.
int Send(int handle, const void* buffer, int length) {
    NET.corked = 1;
    NetRecord* rec = Validate(handle, "NetWorkSend");
    if (rec) Dispatch();  // a close that came is seen; reads and accepts too, the writes wait
    NET.corked = 0;
    if (!rec || !rec->connected || rec->error || length < 0 || (!buffer && length > 0)) return -1;
    const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
    for (int at = 0; at < length;) {
        const int piece =
            length - at < int(kNetFrameMaxPayload) ? length - at : int(kNetFrameMaxPayload);
        uint8_t prefix[kNetFramePrefixBytes];
        NetFramePutLength(prefix, static_cast<uint32_t>(piece));
        int64_t tried = 0;
        if (NetRingPush(&rec->sendRing, prefix, kNetFramePrefixBytes, &tried) != 0 ||
            NetRingPush(&rec->sendRing, bytes + at, piece, &tried) != 0) {
            LogFormat("リングバッファの再確保に失敗しました(確保しようとしたサイズ %lld byte)",
                      static_cast<long long>(tried));
            LogFormat("リングバッファへのデータの追加に失敗しました(追加する長さ %d byte)", length);
            LogFormat("送信データ %d byte の追加に失敗しました in NewWorkSend", length);
            CutStalledPeer(rec);
            return -1;
        }
        at += piece;
    }
    if (rec->sendRing.count >= kSendAtOnceBytes) SendSocket(rec);
    return 0;
}

void EndListen() {
    NetRecord* l = NET.listener;
    PlatNetShutdown(l->socket);
    PlatNetClose(l->socket);
    HandleRemove(&NET.table, l->handle);
    TrackedFree(l);
    NET.listener = nullptr;
    NET.acceptBlocked = 0;
}

int BeginListen(int port) {
    if (Start() != 0 || NET.listener) return -1;
    Pump(0);
    NetRecord* rec = NewRecord();
    if (!rec) {
        LogString("接続待ちソケット用のメモリの確保に失敗しました\n");
        return -1;
    }
    int step = 0;
    rec->socket = PlatNetListen(PortOrDefault(port), kBacklog, &step);
    if (rec->socket < 0) {
        switch (step) {
            case PLAT_NET_STEP_SOCKET:
                LogString("ソケットの作成に失敗しました。WINSOCK.DLLが作動していません\n");
                break;
            case PLAT_NET_STEP_OPTIONS:
                LogString("WSAsyncSelectでエラーが発生しました\n");
                break;
            case PLAT_NET_STEP_LISTEN:
                LogString("listenを失敗しました\n");
                break;
            default:
                LogString("bind出来ません\n");
                break;
        }
        TrackedFree(rec);
        return -1;
    }
    rec->inUse = 1;
    rec->slot = kListenerSlot;
    rec->handle = HandleAdd(&NET.table, rec, kListenerSlot);
    NET.listener = rec;
    NET.acceptBlocked = 0;
    return 0;
}

int TakeAccepted() {
    if (!NET.started) return -1;
    Pump(0);
    for (NetRecord* rec = NET.newest; rec; rec = rec->older) {
        if (rec->inUse && rec->acceptedSide && rec->connected && !rec->acceptReported) {
            rec->acceptReported = 1;
            return rec->handle;
        }
    }
    return -1;
}

int TakeLost() {
    if (!NET.started) return -1;
    Pump(0);
    for (NetRecord* rec = NET.newest; rec; rec = rec->older) {
        if (rec->inUse && !rec->connected && !rec->lostReported) {
            rec->lostReported = 1;
            return rec->handle;
        }
    }
    return NET.lostCount > 0 ? NET.lost[--NET.lostCount] : -1;
}

int DataLength(int handle) {
    if (!NET.started) return -1;
    Pump(0);
    if (NetRecord* rec = Lookup(handle)) {
        RecvSocket(rec);
        SendSocket(rec);
    }
    NetRecord* rec = Validate(handle, "GetNetWorkDataLength");
    return rec ? rec->recvRing.count : -1;
}

int AcceptState(int handle) {
    NetRecord* rec = Validate(handle, "GetNetWorkAcceptState", "GetNetWorkAcceptStateh");
    if (!rec) return -1;
    Pump(0);
    if (rec->connected) return 1;
    rec->lostReported = 1;
    return 0;
}

int Close(int handle) {
    if (!NET.started) return -1;
    Pump(0);
    NetRecord* rec = Lookup(handle);
    if (!rec || !rec->inUse) return -1;
    CloseRecord(rec);
    return 0;
}

// Every public call: the API lock, and at most one pump inside the call.
class NetCall {
public:
    NetCall() { NET.pumped = 0; }

private:
    ApiScope lock_;
};

}  // namespace

// ---- net_service.h ----

void NetPump() {
    NET.pumped = 0;
    Pump(1);
}

void NetShutDown() {
    if (!NET.started) return;
    LogString("ネットワーク関連の終了処理を行います \n");
    if (NET.listener) EndListen();  // first, so that nothing new arrives while closing
    while (NET.newest) CloseRecord(NET.newest);
    HandleTableReset(&NET.table);
    NET.lostCount = 0;
    NET.started = 0;
    LogString("ネットワーク関連の終了処理は完了しました\n");
}

// ---- public calls ----

int OpenNetWorkConnection(uint32_t address, int port) {
    NetCall call;
    if (Start() != 0) return -1;
    PlatNetAddress to;
    memset(&to, 0, sizeof to);
    to.family = 4;
    for (int i = 0; i < 4; ++i) to.bytes[i] = static_cast<uint8_t>(address >> (8 * i));
    to.port = PortOrDefault(port);
    char shown[16];
    snprintf(shown, sizeof shown, "%d.%d.%d.%d", to.bytes[0], to.bytes[1], to.bytes[2],
             to.bytes[3]);
    return Open(to, shown);
}

int OpenNetWorkConnectionByName(const char* name, int port) {
    NetCall call;
    if (!name || Start() != 0) return -1;
    PlatNetAddress to;
    if (PlatNetResolve(name, PortOrDefault(port), &to) != 0) {
        LogFormat("%s への接続に失敗しました。", name);
        return -1;
    }
    return Open(to, name);
}

int BeginNetWorkListen(int port) {
    NetCall call;
    return BeginListen(port);
}

int EndNetWorkListen(void) {
    NetCall call;
    if (Start() != 0 || !NET.listener) return -1;
    EndListen();
    return 0;
}

int TakeAcceptedNetWork(void) {
    NetCall call;
    return TakeAccepted();
}

int TakeLostNetWork(void) {
    NetCall call;
    return TakeLost();
}

int GetNetWorkDataLength(int handle) {
    NetCall call;
    return DataLength(handle);
}

int NetWorkRecv(int handle, void* buffer, int length) {
    NetCall call;
    return Receive(handle, buffer, length, true);
}

int NetWorkRecvToPeek(int handle, void* buffer, int length) {
    NetCall call;
    return Receive(handle, buffer, length, false);
}

int NetWorkSend(int handle, const void* buffer, int length) {
    NetCall call;
    return Send(handle, buffer, length);
}

int CloseNetWorkHandle(int handle) {
    NetCall call;
    return Close(handle);
}

int PumpNetWorkMessages(int autoClose) {
    NetCall call;
    if (!NET.started) return -1;
    Pump(autoClose == 1 ? 1 : 0);
    return 0;
}

int GetNetWorkAcceptState(int handle) {
    NetCall call;
    return AcceptState(handle);
}
