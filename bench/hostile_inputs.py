#!/usr/bin/env python3
"""Feeds every reader of outside input hostile and mutated files through vorlink-cli and
prints, per reader, how many inputs were tried, the worst time and the worst peak memory,
with the exit statuses seen. Run on demand:

    bench/hostile_inputs.py [build/src/vorlink-cli] [--count N]

Inputs are made here from the shipped files (bit flips, cuts, repeats, huge counts,
endless lines, deep nesting); nothing outside a temporary folder is touched. A reader
passes when no input crashes it (exit status 0 or 1 only) and every file under 10 MB
takes under 2 s and 300 MB."""
import os, random, resource, shutil, struct, subprocess, sys, tempfile, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
args = sys.argv[1:]
COUNT = 60
if '--count' in args:
    i = args.index('--count')
    COUNT = int(args[i + 1])
    del args[i:i + 2]
CLI = args[0] if args else os.path.join(ROOT, 'build/src/vorlink-cli')
rng = random.Random(7)

def mutate(data, n):
    """n mutations of data: bit flips, cuts, repeats and inserted junk."""
    out = []
    for _ in range(n):
        b = bytearray(data)
        kind = rng.randrange(6)
        if kind == 0 and b:
            for _ in range(rng.randrange(1, 20)):
                i = rng.randrange(len(b)); b[i] ^= 1 << rng.randrange(8)
        elif kind == 1 and b:
            b = b[:rng.randrange(len(b))]
        elif kind == 2 and b:
            i = rng.randrange(len(b)); j = min(len(b), i + rng.randrange(1, 400))
            b = b[:i] + b[i:j] * rng.randrange(2, 2000) + b[j:]
        elif kind == 3:
            i = rng.randrange(len(b) + 1)
            b = b[:i] + bytes(rng.randrange(256) for _ in range(rng.randrange(1, 200))) + b[i:]
        elif kind == 4 and len(b) > 8:
            i = rng.randrange(len(b) - 4); b[i:i + 4] = struct.pack('<I', rng.choice([0, 1, 0xFFFF, 0x7FFFFFFF, 0xFFFFFFFF]))
        else:
            b = b + b * rng.randrange(1, 50)
        out.append(bytes(b[: 10 * 1024 * 1024 - 1]))
    return out

def special_vcards():
    card = b'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:X\r\nN:X;Y;;;\r\nTEL:+420 1\r\nEND:VCARD\r\n'
    return [
        b'BEGIN:VCARD\r\n' * 200000,                      # cards never ended
        b'BEGIN:VCARD\r\nNOTE:' + b'a' * (9 * 1024 * 1024) + b'\r\nEND:VCARD\r\n',  # one huge line
        b'BEGIN:VCARD\r\n' + b' x\r\n' * 1500000 + b'END:VCARD\r\n',  # endless folding
        card * 60000,                                     # many cards
        b'BEGIN:VCARD\r\nFN:' + b'=' * 3000000 + b'\r\nEND:VCARD\r\n',
        b'BEGIN:VCARD\r\nNOTE;ENCODING=QUOTED-PRINTABLE:' + b'=\r\n' * 1000000 + b'END:VCARD\r\n',
        b'\xff\xfe' + 'BEGIN:VCARD\r\nFN:Ž\r\nEND:VCARD\r\n'.encode('utf-16-le') * 30000,
        b'BEGIN:VCARD\r\n' + b'X-A;' + b'P=1;' * 500000 + b':v\r\nEND:VCARD\r\n',
    ]

def special_templates():
    head = b'<"VORLINK|9|W|sestava.txt">\r\n'
    block = lambda line: head + b'<"DATA">\r\n' + line + b'\r\n<"/DATA">\r\n'
    return [
        head + b'<"HEX|41">' * 400000 + b'\r\n',
        block(b'<"IF|' * 20000 + b'x' + b'">' * 20000),
        head + (b'#' + b'k' * 78 + b'\r\n') * 100000,
        block(b'<"NAZEV|4096|L">' * 3000),                  # 48 KB asking for gigabytes
        block(b'<"POZNAMKA|0|L">' * 500),
        block(b'<"' * 300000),
    ]

def run(args, cwd):
    start = time.monotonic()
    before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    p = subprocess.run(['/usr/bin/time', '-f', '%M', CLI] + args, cwd=cwd, capture_output=True, timeout=120)
    took = time.monotonic() - start
    lines = p.stderr.decode('utf-8', 'replace').strip().splitlines()
    peak_kb = int(lines[-1]) if lines and lines[-1].isdigit() else 0
    status = p.returncode
    return took, peak_kb, status

def main():
    if not os.path.exists(CLI):
        sys.exit(f'no {CLI}: build first')
    book = open(os.path.join(ROOT, 'data/ukazka.WDT'), 'rb').read()
    vcf = subprocess.run([CLI, 'export', os.path.join(ROOT, 'data/ukazka.WDT'), '--format', 'vcard3', '-o', '-'],
                         capture_output=True).stdout
    template = open(os.path.join(ROOT, 'data/templates/telefony.WDR'), 'rb').read()
    dta = bytes(560) + b''.join(bytes(rng.randrange(32, 127) for _ in range(560)) for _ in range(20))
    table = os.path.join(ROOT, '..', 'shared', 'fixtures', 'paradox', 'biolife.db')
    tables = mutate(open(table, 'rb').read(), COUNT) if os.path.exists(table) else []
    readers = {
        'book (list)': (mutate(book, COUNT), lambda f: ['list', f]),
        'book (dump)': (mutate(book, COUNT // 2), lambda f: ['dump', f]),
        'vCard import': (mutate(vcf, COUNT) + special_vcards(), lambda f: ['import', f, 'out.WDT', '--force']),
        'DTA import': (mutate(dta, COUNT), lambda f: ['import', '--dta', f, 'out.WDT', '--force']),
        'Paradox table': (tables, lambda f: ['import', '--kontakty', f, 'out.WDT', '--force']),
        'report template': (mutate(template, COUNT) + special_templates(),
                            lambda f: ['report', f, os.path.join(ROOT, 'data/ukazka.WDT'), '-o', 'out.txt']),
    }
    print(f'{"reader":<18} {"inputs":>6} {"worst time":>11} {"worst peak":>11}  statuses')
    ok = True
    with tempfile.TemporaryDirectory() as tmp:
        for name, (inputs, argv) in readers.items():
            worst_t, worst_m, statuses = 0.0, 0, set()
            for i, data in enumerate(inputs):
                path = os.path.join(tmp, f'in{i}')
                with open(path, 'wb') as f:
                    f.write(data)
                t, m, s = run(argv(path), tmp)
                worst_t, worst_m = max(worst_t, t), max(worst_m, m)
                statuses.add(s)
                if s not in (0, 1) or t > 2 or m > 300 * 1024:
                    ok = False
                    keep = os.path.join(tmp, '..', f'vorlink-hostile-{name.split()[0]}-{i}')
                    shutil.copy(path, keep)
                    print(f'  {name}: input {i} ({len(data)} bytes): {t:.2f} s, {m // 1024} MB, status {s}; kept as {keep}')
                os.remove(path)
            print(f'{name:<18} {len(inputs):>6} {worst_t:>9.2f} s {worst_m // 1024:>8} MB  {sorted(statuses)}')
    sys.exit(0 if ok else 1)

main()
