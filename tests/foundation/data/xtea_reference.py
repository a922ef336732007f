#!/usr/bin/env python3
"""Independent reference for the data-file cipher and its hexadecimal text form.

Written from the written description of the cipher alone, without looking at the C++
code, so that the golden vectors in CipherTest.cpp check one against the other.
Run it to print the vectors: python3 xtea_reference.py
"""

MASK = 0xFFFFFFFF
DELTA = 0x9E3779B9


def key_words(key: bytes):
    key = (key[:16] + b"\0" * 16)[:16]
    return [int.from_bytes(key[4 * i:4 * i + 4], "little") for i in range(4)]


def mix(v, kw, s):
    return (kw + ((((v << 4) & MASK) ^ (v >> 5)) + (v ^ s))) & MASK


def encipher_block(l, r, k):
    s = 0
    for _ in range(32):
        l = (l + mix(r, k[s & 3], s)) & MASK
        s = (s + DELTA) & MASK
        r = (r + mix(l, k[(s >> 11) & 3], s)) & MASK
    return l, r


def decipher_block(l, r, k):
    s = (32 * DELTA) & MASK
    for _ in range(32):
        r = (r - mix(l, k[(s >> 11) & 3], s)) & MASK
        s = (s - DELTA) & MASK
        l = (l - mix(r, k[s & 3], s)) & MASK
    return l, r


def code(text: bytes, key: bytes, encipher: bool) -> bytes:
    k = key_words(key)
    out = bytearray(text)
    n = len(text) // 8
    m0, m1 = k[0] ^ k[2] ^ DELTA, k[1] ^ k[3] ^ DELTA
    for i in range(n):
        l = int.from_bytes(text[8 * i:8 * i + 4], "little")
        r = int.from_bytes(text[8 * i + 4:8 * i + 8], "little")
        if encipher:
            l, r = encipher_block(l, r, k)
            m0, m1 = l, r
        else:
            m0, m1 = l, r
            l, r = decipher_block(l, r, k)
        out[8 * i:8 * i + 8] = l.to_bytes(4, "little") + r.to_bytes(4, "little")
    tail = len(text) % 8
    if tail:
        block = bytes(text[8 * n:]) + b"\0" * (8 - tail)
        l = int.from_bytes(block[:4], "little") ^ m0
        r = int.from_bytes(block[4:], "little") ^ m1
        out[8 * n:] = (l.to_bytes(4, "little") + r.to_bytes(4, "little"))[:tail]
    return bytes(out)


def to_hex(b: bytes) -> str:
    return "".join("0123456789ABCDEF"[x >> 4] + "0123456789ABCDEF"[x & 15] for x in b)


def c_string(b: bytes) -> str:
    return '"' + "".join(chr(x) if 32 <= x < 127 and chr(x) not in '"\\' else "\\x%02x\"\"" % x
                         for x in b) + '"'


def main():
    d = decipher_block(*encipher_block(0x01234567, 0x89ABCDEF, key_words(b"key")),
                       key_words(b"key"))
    assert d == (0x01234567, 0x89ABCDEF)
    l, r = encipher_block(0, 0, [0, 0, 0, 0])
    print("block zero/zero-key: L=0x%08X R=0x%08X" % (l, r))
    l, r = encipher_block(0x01234567, 0x89ABCDEF, [0x00010203, 0x04050607, 0x08090A0B, 0x0C0D0E0F])
    print("block 01234567,89ABCDEF / 00010203..: L=0x%08X R=0x%08X" % (l, r))
    cases = [
        (b"", b"anykey"),
        (b"a", b"k4wz8qe1vn-7tj3hm0d"),
        (b"<xml/>", b"k4wz8qe1vn-7tj3hm0d"),
        (b"12345678", b"p2xg9c0rw5ly7ke3q1nbzu"),
        (b"<root name=\"x\"/>", b"58m207xjdkaufwjb31cnwz"),
        (b"<options><o name=\"a\" value=\"1\"/></options>", b"913064vbsw8n[571k06tyc"),
        (b"Hello, world!", b""),
        (b"\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a", b"zt41ka[wmcuyeb07d5rxfv"),
    ]
    for text, key in cases:
        c = code(text, key, True)
        assert code(c, key, False) == text
        print("{%s, %s, \"%s\"}," % (c_string(text), c_string(key), to_hex(c)))


if __name__ == "__main__":
    main()
