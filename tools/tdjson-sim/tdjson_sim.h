#pragma once

// libtdjson-sim: an in-process stand-in for TDLib's JSON interface (libtdjson,
// TDLib 1.8.67 request and object shapes) for the demo and the tests. It exports
// the same entry points as libtdjson plus tdsim_configure for scripting.
//
// All clients share one worker thread with its own timers; td_receive blocks on a
// condition variable, so an idle simulator uses no CPU.
//
// tdsim_configure(json) takes one JSON object. Its setting keys change the
// simulator's behaviour from then on; its "command" key (or a "commands" array
// of such objects) acts at once. Settings and commands may arrive before
// td_create_client_id. The environment variable TDSIM_CONFIG, when set, is
// applied the same way when the library is first used.
//
// Settings (defaults in brackets):
//   "scan_delay_ms"       number or "never" [2500]: the simulated phone scans the
//                         QR code this long after the link is shown; "never"
//                         waits for the "scan" command.
//   "password"            text, or null/"" for none [none]: two-step password.
//   "password_hint"       text [""].
//   "qr_expiry_seconds"   number, 0 = never [0]: lifetime of a QR link.
//   "qr_expiry_mode"      "link" | "error" ["link"]: on expiry either show a new
//                         link (what TDLib does by itself) or go back to
//                         authorizationStateWaitPhoneNumber and send an error
//                         whose message is "qr_expiry_error".
//   "qr_expiry_error"     text ["QR_CODE_EXPIRED"].
//   "wait_encryption_key" bool [false]: after setTdlibParameters pass through
//                         authorizationStateWaitEncryptionKey (older TDLib), which
//                         is left by setDatabaseEncryptionKey.
//   "chat_pages"          number >= 1 [2]: loadChats pages per chat list before
//                         the 404 "Not Found".
//   "send_failure"        bool, or {"code":n,"message":text} [false]: sends end in
//                         updateMessageSendFailed instead of ...Succeeded.
//   "send_delay_ms"       number [150]: pending copy to send result.
//   "reply_delay_ms"      number [700]: bot typing time before it answers.
//   "bot_replies"         bool [true]: the demo bots answer what the user sends.
//   "history_local_subset" bool [true]: getChatHistory with only_local answers
//                         only the last message until the chat's history was
//                         fetched once without only_local.
//   "download_steps"      number >= 1 [3], "download_step_ms" number [120]:
//                         updateFile progress of a download.
//   "close_delay_ms"      number [50]: close/logOut to authorizationStateClosed.
//   "history_limit"       number [0 = all]: messages kept per chat; older ones
//                         are forgotten (long soak runs).
//   "bots"                array of {"id": user id, "title": text, "username":
//                         text, "archived": bool, "unread": n, "demo": "showcase"
//                         | "media" | "service" | "empty"}: replaces the bot list
//                         of sessions signed in from then on. Bots without "demo"
//                         start with an empty history.
//
// Commands ("command": name, plus the fields listed; "client_id" picks a
// client, otherwise the newest one still open):
//   "reset"               forget every client, timer and queued answer and
//                         restore the default settings.
//   "scan"                the phone scans the current QR code now.
//   "expire_qr"           the current QR code expires now.
//   "inject_message"      an incoming message from the bot: "chat_id" (default:
//                         the first bot), "text" (with the demo markup: **bold**,
//                         __italic__, `code`, ```lang fences, [text](url)) or a raw
//                         TDLib "content" object, optional "reply_markup",
//                         "reply_to_message_id", "typing" (bool: show typing first).
//   "inject_outgoing"     a message the user sent from another device (a phone):
//                         "chat_id", "text" (plain, sent verbatim); the bot
//                         answers it unless it is a "/mac" command or
//                         "bot_reply" is false.
//   "delete_messages"     the other side deletes: "chat_id", "message_ids".
//   "chat_action"         "chat_id", "action" (e.g. "chatActionTyping",
//                         "chatActionCancel").
//
// Wire behaviour follows TDLib: every answer and update carries "@client_id",
// answers echo the request's "@extra", unknown or malformed requests answer
// {"@type":"error","code":400,...}. A client that reached
// authorizationStateClosed answers nothing more.

#if defined(_WIN32)
#define TDSIM_EXPORT __declspec(dllexport)
#else
#define TDSIM_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

TDSIM_EXPORT int td_create_client_id(void);
TDSIM_EXPORT void td_send(int client_id, const char *request);
// Blocks up to timeout seconds; NULL when nothing arrived. The text stays valid
// until the next call of td_receive.
TDSIM_EXPORT const char *td_receive(double timeout);
// Synchronous requests (log settings). The text stays valid until the next call
// of td_execute on the same thread.
TDSIM_EXPORT const char *td_execute(const char *request);
TDSIM_EXPORT void tdsim_configure(const char *json);

#ifdef __cplusplus
}
#endif
