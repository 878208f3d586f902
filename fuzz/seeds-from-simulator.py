#!/usr/bin/env python3
"""Writes the message seeds of fuzz/corpus/ from the simulator's demo history.

Usage: fuzz/seeds-from-simulator.py BUILD_DIR/bin/libtdjson-sim.so
Signs in to the simulator, reads each demo bot's history and keeps a few
messages of every content kind (one file each), plus one small archive.
"""
import ctypes, json, os, sys, tempfile, time

here = os.path.dirname(os.path.abspath(__file__))
lib = ctypes.CDLL(sys.argv[1])
lib.td_create_client_id.restype = ctypes.c_int
lib.td_send.argtypes = [ctypes.c_int, ctypes.c_char_p]
lib.td_receive.argtypes = [ctypes.c_double]
lib.td_receive.restype = ctypes.c_char_p
lib.tdsim_configure.argtypes = [ctypes.c_char_p]


def send(client, obj):
    lib.td_send(client, json.dumps(obj).encode())


def wait(match, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        raw = lib.td_receive(0.2)
        if raw:
            obj = json.loads(raw)
            if match(obj):
                return obj
    sys.exit("simulator: no answer")


folder = tempfile.mkdtemp()
lib.tdsim_configure(json.dumps({"command": "reset", "scan_delay_ms": 0, "password": None}).encode())
client = lib.td_create_client_id()
send(client, {"@type": "setTdlibParameters", "database_directory": folder + "/db", "files_directory": folder + "/files",
              "database_encryption_key": "a2V5", "use_file_database": True, "use_chat_info_database": True,
              "use_message_database": True, "use_secret_chats": False, "api_id": 12345,
              "api_hash": "0123456789abcdef", "system_language_code": "en", "device_model": "Tessaly",
              "system_version": "Linux", "application_version": "1.0"})
wait(lambda o: o.get("@type") == "updateAuthorizationState" and
     o["authorization_state"]["@type"] == "authorizationStateWaitPhoneNumber")
send(client, {"@type": "requestQrCodeAuthentication", "other_user_ids": []})
wait(lambda o: o.get("@type") == "updateAuthorizationState" and
     o["authorization_state"]["@type"] == "authorizationStateReady")

messages = []
for chat in (5000000101, 5000000102, 5000000103):
    extra = "history-%d" % chat
    send(client, {"@type": "getChatHistory", "chat_id": chat, "from_message_id": 0, "offset": 0, "limit": 100,
                  "only_local": False, "@extra": extra})
    messages += wait(lambda o: o.get("@extra") == extra)["messages"]


def write(target, name, data):
    os.makedirs(os.path.join(here, "corpus", target), exist_ok=True)
    with open(os.path.join(here, "corpus", target, name), "w", encoding="utf-8") as f:
        f.write(json.dumps(data, ensure_ascii=False, separators=(",", ":")))


# A dozen kinds cover the converter's branches: texts with entities, replies
# and keyboards, files, structured contents and labels.
kinds = {"messageText": 2, "messagePhoto": 1, "messageDocument": 1, "messageVoiceNote": 1,
         "messageRichMessage": 1, "messageChecklist": 1, "messagePaidMedia": 1, "messagePoll": 1,
         "messageGift": 1, "messageVenue": 1, "messageUnsupported": 1}
seen = {}
for m in messages:
    content = m["content"]
    kind = content["@type"]
    seen[kind] = seen.get(kind, 0) + 1
    if seen[kind] > kinds.get(kind, 0):
        continue
    name = "%s-%d.json" % (kind, seen[kind])
    write("message_conversion", name, m)
    if kind == "messageRichMessage":
        write("rich_text", name, content)
        write("rich_text", "blocks-" + name, content["message"]["blocks"])
    if kind == "messageChecklist":
        write("rich_text", name, content["list"])
# The formatted texts with the most entities: code blocks, links, styles.
texts = [c.get("text") or c.get("caption") for c in (m["content"] for m in messages)]
texts = sorted((t for t in texts if isinstance(t, dict) and t.get("entities")), key=lambda t: -len(t["entities"]))
for n, text in enumerate(texts[:4]):
    write("formatted_text", "demo-%d.json" % (n + 1), text)
write("archive", "demo-history.json", messages[:5])
