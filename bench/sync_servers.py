#!/usr/bin/env python3
"""Measures vorlink-cli sync against a real Radicale started here, beside a plain curl
fetch and vdirsyncer on the same collection. Run on demand:

    bench/sync_servers.py [build/src/vorlink-cli] [--cards N]

Prints, for each step, the wall time, the peak memory of the client and how many
requests the server saw: the upload of N cards into an empty collection, the download
of all of them into an empty book, a sync with nothing changed, a sync after one card
changed on each side, then curl (PROPFIND of the ETags and one addressbook-query with
every card) and vdirsyncer's first sync into an empty folder. Everything lives in a
temporary folder; the server is stopped by its process id."""
import os, resource, shutil, socket, subprocess, sys, tempfile, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
args = sys.argv[1:]
CARDS = 10000
if '--cards' in args:
    i = args.index('--cards')
    CARDS = int(args[i + 1])
    del args[i:i + 2]
CLI = os.path.abspath(args[0] if args else os.path.join(ROOT, 'build/src/vorlink-cli'))
for tool in ('radicale', 'curl', 'vdirsyncer'):
    if not shutil.which(tool):
        sys.exit('missing: %s (scripts/deps.sh installs it)' % tool)

tmp = tempfile.mkdtemp(prefix='vorlink-sync-bench-')
env = dict(os.environ, XDG_STATE_HOME=tmp + '/state', XDG_CONFIG_HOME=tmp + '/config', LC_ALL='C.UTF-8')

def free_port():
    s = socket.socket(); s.bind(('127.0.0.1', 0)); p = s.getsockname()[1]; s.close(); return p

port = free_port()
with open(tmp + '/config.ini', 'w') as f:
    f.write('[server]\nhosts = 127.0.0.1:%d\n[auth]\ntype = none\n[storage]\nfilesystem_folder = %s/store\n'
            '[logging]\nlevel = info\n' % (port, tmp))
log = open(tmp + '/radicale.log', 'w')
server = subprocess.Popen(['radicale', '--config', tmp + '/config.ini'], stdout=log, stderr=subprocess.STDOUT)
base = 'http://127.0.0.1:%d' % port
url = base + '/bench/kontakty/'

def requests_seen():
    with open(tmp + '/radicale.log') as f:
        return sum(1 for l in f if ' request for ' in l)

def run(cmd, **kw):
    """Wall time, peak memory (MB) of the child and its exit status."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    start = time.monotonic()
    p = subprocess.run(cmd, env=env, capture_output=True, **kw)
    wall = time.monotonic() - start
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    return wall, peak / 1024.0 if peak > before else float('nan'), p

def report(step, cmd, **kw):
    seen = requests_seen()
    wall, mb, p = run(cmd, **kw)
    time.sleep(0.2)  # the server's log line comes after its answer
    last = p.stdout.decode('utf-8', 'replace').strip().splitlines()[-1:] or ['']
    print('%-34s %7.2f s %8.1f MB %6d requests  exit %d  %s' % (step, wall, mb, requests_seen() - seen, p.returncode, last[0][:70]))
    if p.returncode not in (0, 3):
        print(p.stderr.decode('utf-8', 'replace'))
    return p

try:
    for _ in range(100):
        try:
            socket.create_connection(('127.0.0.1', port), 0.2).close(); break
        except OSError:
            time.sleep(0.1)
    subprocess.run(['curl', '-s', '-o', '/dev/null', '-X', 'MKCOL', base + '/bench/'])
    subprocess.run(['curl', '-s', '-o', '/dev/null', '-X', 'MKCOL', url, '-H', 'Content-Type: application/xml', '--data',
                    '<?xml version="1.0"?><mkcol xmlns="DAV:" xmlns:C="urn:ietf:params:xml:ns:carddav"><set><prop>'
                    '<resourcetype><collection/><C:addressbook/></resourcetype></prop></set></mkcol>'])
    with open(tmp + '/cards.vcf', 'w', encoding='utf-8') as f:
        for i in range(CARDS):
            f.write('BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Novák%05d Jan\r\nN:Novák%05d;Jan;;;\r\n'
                    'TEL;TYPE=cell:+420 602 %03d %03d\r\nTEL;TYPE=work:+420 2 %04d %04d\r\n'
                    'ADR;TYPE=home:;;Dlouhá %d;Praha;;110 00;Česko\r\nEMAIL:jan%05d@example.cz\r\n'
                    'BDAY:19%02d-%02d-%02d\r\nX-VORLINK-NAMEDAY:24.06.\r\nNOTE:Poznámka %d\r\nEND:VCARD\r\n'
                    % (i, i, i // 1000, i % 1000, i, i, i, i, i % 100, i % 12 + 1, i % 28 + 1, i))
    book = tmp + '/velky.WDT'
    subprocess.run([CLI, 'import', tmp + '/cards.vcf', book], env=env, check=True, capture_output=True)
    empty = tmp + '/prazdny.WDT'
    with open(book, 'rb') as f, open(empty, 'wb') as g:
        g.write(f.read(3217))
    print('%d cards, book %.1f MB, Radicale on 127.0.0.1:%d' % (CARDS, os.path.getsize(book) / 1e6, port))
    report('sync: upload into empty', [CLI, 'sync', book, '--url', url])
    report('sync: download into empty book', [CLI, 'sync', empty, '--url', url])
    report('sync: nothing changed', [CLI, 'sync', book, '--url', url])
    report('sync: nothing changed (2nd book)', [CLI, 'sync', empty, '--url', url])
    # One card changed on the server: the book gets it with one multiget.
    listing = subprocess.run(['curl', '-s', '-X', 'PROPFIND', '-H', 'Depth: 1', url], capture_output=True).stdout.decode()
    href = [h for h in __import__('re').findall(r'<href>([^<]+\.vcf)</href>', listing)][0]
    card = subprocess.run(['curl', '-s', base + href], capture_output=True).stdout.decode()
    card = card.replace('NOTE:', 'NOTE:Změněno na serveru. ', 1)
    subprocess.run(['curl', '-s', '-o', '/dev/null', '-X', 'PUT', '-H', 'Content-Type: text/vcard', '--data-binary', card, base + href])
    report('sync: one card changed on server', [CLI, 'sync', book, '--url', url])

    body = ('<?xml version="1.0"?><C:addressbook-query xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:carddav">'
            '<D:prop><D:getetag/><C:address-data/></D:prop></C:addressbook-query>')
    report('curl: PROPFIND of the ETags', ['curl', '-s', '-o', tmp + '/etags.xml', '-X', 'PROPFIND', '-H', 'Depth: 1', url])
    report('curl: every card in one REPORT', ['curl', '-s', '-o', tmp + '/all.xml', '-X', 'REPORT', '-H', 'Depth: 1',
                                              '-H', 'Content-Type: application/xml', '--data', body, url])
    os.makedirs(tmp + '/vdir')
    with open(tmp + '/vdirsyncer.conf', 'w') as f:
        f.write('[general]\nstatus_path = "%s/vds-status"\n\n[pair bench]\na = "server"\nb = "local"\ncollections = null\n\n'
                '[storage server]\ntype = "carddav"\nurl = "%s"\n\n[storage local]\ntype = "filesystem"\npath = "%s/vdir"\n'
                'fileext = ".vcf"\n' % (tmp, url, tmp))
    subprocess.run(['vdirsyncer', '-c', tmp + '/vdirsyncer.conf', 'discover'], env=env, input=b'y\ny\n', capture_output=True)
    report('vdirsyncer: first sync', ['vdirsyncer', '-c', tmp + '/vdirsyncer.conf', 'sync'])
    report('vdirsyncer: nothing changed', ['vdirsyncer', '-c', tmp + '/vdirsyncer.conf', 'sync'])
finally:
    server.terminate()
    try:
        server.wait(10)
    except subprocess.TimeoutExpired:
        server.kill()
    shutil.rmtree(tmp, ignore_errors=True)
