#!/usr/bin/env python3
"""Writes the starting inputs of each fuzz target into fuzz/seeds/<target>/:
requests like the protocol tests send, the JSON cases of tests/core/json_cases,
packets and deltas, and filters as screens write them. Run it again after
changing it; the files are committed."""
import json
import pathlib
import shutil

ROOT = pathlib.Path(__file__).resolve().parent
SEEDS = ROOT / "seeds"
JSON_CASES = ROOT.parent / "tests" / "core" / "json_cases"


def write(target, name, data):
    folder = SEEDS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data if isinstance(data, bytes) else data.encode())


def rpc(method, params, ident=1):
    return json.dumps({"jsonrpc": "2.0", "id": ident, "method": method, "params": params},
                      ensure_ascii=False, separators=(",", ":"))


PACKET = ('{"fields":[{"name":"CDFILIAL","type":"string","size":4},{"name":"QTITEM","type":"float"},'
          '{"name":"NRITEM","type":"integer"},{"name":"DTPEDIDO","type":"date"},'
          '{"name":"DTHRALT","type":"datetime"},{"name":"IDATIVO","type":"boolean"},'
          '{"name":"DSOBS","type":"memo"}],'
          '"rows":[["0001",1.5,1,"2026-03-10","2026-03-10T14:30:00",true,"ação"],'
          '[null,null,null,null,null,null,null]]}')
DELTA = ('{"fields":[{"name":"CDFILIAL","type":"string","size":4},{"name":"QTITEM","type":"float"}],'
         '"changes":[{"op":"insert","new":["0001",2]},{"op":"update","old":["0001",2],"new":["0001",3]},'
         '{"op":"delete","old":["0001",3]}]}')

# (module byte, method, params): bit 0-1 pick the module (0 order entry,
# 1 general, 2 notes, 3 future invoices), bit 2 drops the session.
CALLS = [
    (0, "getParamGerPed", ["0001"]),
    (0, "GetPermissao", ["0001", "DEMO"]),
    (0, "GetPrxPedido", ["0001"]),
    (0, "GetPedido", ["0001", "'0000000001'", "", "", "", "", "", "", "'0001'", "", "", "", "'0000000001'", ""]),
    (0, "GetItemPedido", ["0001", "0000000001"]),
    (0, "GetCliente", ["0001", "1"]),
    (0, "GetPreco", ["0001", "1", "7891000", "2026-03-10", 1.5]),
    (0, "SetMudaData", ["2026-03-10", True, {"fields": [], "rows": []}, 1]),
    (0, "VD_PRECOOK", ["0001", {"fields": [{"name": "A", "type": "string"}], "changes": []}]),
    (1, "getFilial", []),
    (1, "Login", ["DEMO", "errada"]),
    (1, "AutorizaOperador", ["DEMO", "errada", 14]),
    (1, "Logout", ["token"]),
    (4, "getParamGerPed", ["0001"]),
    (2, "GetNota", ["0001", "0000000001"]),
    (3, "GetNrPedido", ["0001"]),
]


def http_seeds():
    body = rpc("getParamGerPed", ["0001"]).encode()
    post = (b"POST /rpc/PED00100.rdmLanPedido HTTP/1.1\r\nHost: 127.0.0.1\r\n"
            b"Authorization: Bearer abc\r\nContent-Type: application/json\r\n"
            b"Content-Length: " + str(len(body)).encode() + b"\r\n\r\n" + body)
    write("http_head", "post", post)
    write("http_head", "pipelined", post + post)
    write("http_head", "health", b"GET /health HTTP/1.1\r\nHost: x\r\n\r\n")
    write("http_head", "head", b"HEAD /rpc HTTP/1.0\r\nConnection: keep-alive\r\n\r\n")
    write("http_head", "expect", b"POST /rpc/x?y=1 HTTP/1.1\r\nExpect: 100-continue\r\n"
                                 b"Content-Length: 2\r\nConnection: close\r\n\r\n{}")
    write("http_head", "lf_only", b"GET / HTTP/1.1\nHost: x\n\n")
    write("http_head", "chunked", b"POST /rpc HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n")
    write("http_head", "empty_length", b"POST /rpc HTTP/1.1\r\nContent-Length:\r\n\r\n")
    write("http_head", "two_lengths", b"POST /rpc HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab")
    write("http_head", "tls", bytes([0x16, 3, 1, 0, 0xa5, 1, 0, 0, 0xa1, 3, 3]))
    write("http_head", "http2", b"GET / HTTP/2.0\r\n\r\n")


def main():
    if SEEDS.exists():
        shutil.rmtree(SEEDS)
    http_seeds()
    for n, (module, method, params) in enumerate(CALLS):
        write("rpc_dispatcher", f"{n:02}_{method}", bytes([module]) + rpc(method, params).encode())
    write("rpc_dispatcher", "batch", bytes([0]) + ("[" + rpc("getParamGerPed", ["0001"]) + ","
                                                   + rpc("GetPrxPedido", ["0001"], "a") + "]").encode())
    write("rpc_dispatcher", "notification", bytes([0]) + b'{"jsonrpc":"2.0","method":"getParamGerPed","params":["0001"]}')
    write("rpc_dispatcher", "escaped_nul", bytes([0]) + rpc("getParamGerPed", ["0001\u0000"]).encode())
    for case in sorted(JSON_CASES.iterdir()):
        write("datapacket", case.name, case.read_bytes())
    write("datapacket", "packet", PACKET)
    write("datapacket", "delta", DELTA)
    write("datapacket", "empty_packet", '{"fields":[],"rows":[]}')
    filters = ["CDFILIAL = '0001'AND NRPEDIDO = '0000000012'", "(CDERRO = 'ALT_PR')", "VRDESITPED > 0",
               "NOT (IDSIT = '3' OR X IS NULL)", "A = 1 AND (a = 2 OR B IS NULL) AND C > A",
               "NMCLIENTE = 'D''Ávila'", "QTITEM >= 1.5", "X IS NOT NULL", "DTPEDIDO <> NULL", "1 < '2'", ""]
    for n, text in enumerate(filters):
        write("filter_expression", f"{n:02}", text)


if __name__ == "__main__":
    main()
