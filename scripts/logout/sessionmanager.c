/* A small X11 session manager (XSMP) for checking by hand how the game
   takes a logout. It accepts one client and, ten seconds after that client
   registers, asks it to save itself for a shutdown, or goes away.

   sessionmanager STYLE ADDRESSFILE
     STYLE   none    a shutdown in which no program may ask the player
             any     a shutdown in which programs may ask (and call it off)
             vanish  no shutdown: the manager ends, as a crashed one would
   The address for SESSION_MANAGER is written to ADDRESSFILE. What happens
   is printed a line at a time; the exit status is 0 once the client has
   been told to die or the manager vanished, 3 five seconds after the
   shutdown was called off, 2 when the client did not answer within 30 seconds. */
#define _POSIX_C_SOURCE 200809L
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static SmsConn client;
static int registered, cancelled, answered;

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

static void say(const char *what)
{
    printf("session: %s\n", what);
    fflush(stdout);
}

static Status registerClient(SmsConn conn, SmPointer data, char *previousId)
{
    (void)data;
    free(previousId);
    char *id = SmsGenerateClientID(conn);
    SmsRegisterClientReply(conn, id);
    free(id);
    client = conn;
    registered = 1;
    say("client registered");
    return 1;
}

static void interactRequest(SmsConn conn, SmPointer data, int dialogType)
{
    (void)data;
    (void)dialogType;
    say("client asks to talk to the player: granted");
    SmsInteract(conn);
}

static void interactDone(SmsConn conn, SmPointer data, Bool cancel)
{
    (void)conn;
    (void)data;
    if (cancel) {
        cancelled = 1;
        say("client calls the shutdown off");
    }
}

static void saveYourselfRequest(SmsConn c, SmPointer d, int t, Bool s, int i, Bool f, Bool g)
{
    (void)c; (void)d; (void)t; (void)s; (void)i; (void)f; (void)g;
}

static void phase2Request(SmsConn conn, SmPointer data)
{
    (void)data;
    SmsSaveYourselfPhase2(conn);
}

static void saveYourselfDone(SmsConn conn, SmPointer data, Bool success)
{
    (void)data;
    say(success ? "client saved" : "client did not save");
    if (cancelled) {
        SmsShutdownCancelled(conn);
        say("shutdown called off");
    } else {
        SmsDie(conn);
        say("client told to die");
    }
    answered = 1;
}

static void closeConnection(SmsConn conn, SmPointer data, int count, char **reasons)
{
    (void)data;
    SmFreeReasons(count, reasons);
    SmsCleanUp(conn);
    client = NULL;
    say("client gone");
}

static void setProperties(SmsConn conn, SmPointer data, int count, SmProp **props)
{
    (void)conn;
    (void)data;
    for (int i = 0; i < count; i++)
        SmFreeProperty(props[i]);
    free(props);
}

static void deleteProperties(SmsConn conn, SmPointer data, int count, char **names)
{
    (void)conn;
    (void)data;
    for (int i = 0; i < count; i++)
        free(names[i]);
    free(names);
}

static void getProperties(SmsConn conn, SmPointer data)
{
    (void)data;
    SmsReturnProperties(conn, 0, NULL);
}

static Status newClient(SmsConn conn, SmPointer data, unsigned long *mask, SmsCallbacks *cb, char **failure)
{
    (void)conn;
    (void)data;
    (void)failure;
    memset(cb, 0, sizeof *cb);
    cb->register_client.callback = registerClient;
    cb->interact_request.callback = interactRequest;
    cb->interact_done.callback = interactDone;
    cb->save_yourself_request.callback = saveYourselfRequest;
    cb->save_yourself_phase2_request.callback = phase2Request;
    cb->save_yourself_done.callback = saveYourselfDone;
    cb->close_connection.callback = closeConnection;
    cb->set_properties.callback = setProperties;
    cb->delete_properties.callback = deleteProperties;
    cb->get_properties.callback = getProperties;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask |
            SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask |
            SmsGetPropertiesProcMask;
    return 1;
}

/* Only this machine's programs reach the address, and only for a minute. */
static Bool anyHost(char *host)
{
    (void)host;
    return True;
}

int main(int argc, char **argv)
{
    if (argc != 3)
        return 64;
    const int vanish = strcmp(argv[1], "vanish") == 0;
    const int style = strcmp(argv[1], "any") == 0 ? SmInteractStyleAny : SmInteractStyleNone;
    char error[256];
    int listeners;
    IceListenObj *listen;
    if (!SmsInitialize("vikkelo-logout-check", "1.0", newClient, NULL, anyHost, sizeof error, error) ||
        !IceListenForConnections(&listeners, &listen, sizeof error, error)) {
        fprintf(stderr, "session: %s\n", error);
        return 1;
    }
    for (int i = 0; i < listeners; i++)
        IceSetHostBasedAuthProc(listen[i], anyHost);
    FILE *address = fopen(argv[2], "w");
    if (!address)
        return 1;
    fprintf(address, "%s\n", IceComposeNetworkIdList(listeners, listen));
    fclose(address);

    IceConn conns[8];
    int open = 0;
    double registeredAt = 0, askedAt = 0, cancelledAt = 0;
    for (;;) {
        struct pollfd fds[16];
        int n = 0;
        for (int i = 0; i < listeners; i++)
            fds[n++] = (struct pollfd){IceGetListenConnectionNumber(listen[i]), POLLIN, 0};
        for (int i = 0; i < open; i++)
            fds[n++] = (struct pollfd){IceConnectionNumber(conns[i]), POLLIN, 0};
        poll(fds, n, 100);
        for (int i = 0; i < listeners; i++) {
            if (!(fds[i].revents & POLLIN) || open == 8)
                continue;
            IceAcceptStatus accepted;
            IceConn conn = IceAcceptConnection(listen[i], &accepted);
            if (!conn)
                continue;
            IceConnectStatus status;
            while ((status = IceConnectionStatus(conn)) == IceConnectPending)
                IceProcessMessages(conn, NULL, NULL);
            if (status == IceConnectAccepted)
                conns[open++] = conn;
            else
                IceCloseConnection(conn);
        }
        for (int i = 0; i < open; i++) {
            if ((fds[listeners + i].revents & (POLLIN | POLLHUP)) &&
                IceProcessMessages(conns[i], NULL, NULL) == IceProcessMessagesIOError) {
                IceCloseConnection(conns[i]);
                conns[i--] = conns[--open];
            }
        }
        if (registered && !registeredAt)
            registeredAt = now();
        if (registeredAt && !askedAt && now() - registeredAt > 10) {
            if (vanish) {
                say("the session manager goes away");
                return 0;
            }
            say(style == SmInteractStyleAny ? "shutdown, the player may be asked" : "shutdown, no one may be asked");
            SmsSaveYourself(client, SmSaveBoth, True, style, False);
            askedAt = now();
        }
        if (answered && cancelled && !cancelledAt)
            cancelledAt = now();
        if (cancelledAt && now() - cancelledAt > 5)
            return 3; /* and the game, still running, sees the manager go */
        if (answered && !client)
            return 0;
        if (askedAt && now() - askedAt > 30) {
            say("no answer");
            return 2;
        }
    }
}
