#!/usr/bin/env python3
"""Measures vorlink-cli sync against a real Radicale started here, beside a plain curl
fetch and vdirsyncer on the same collection. Run on demand:

    bench/sync_servers.py [build/src/vorlink-cli] [--cards N] [--upload U]

Prints, for each step, the wall time, the peak memory of the client and how many
requests the server saw. A collection of N cards (default 10000, laid into Radicale's
storage directly) is synced into an empty book, again with nothing changed and with one
card changed on the server; curl lists its ETags and fetches every card in one REPORT;
vdirsyncer syncs it into an empty folder. Then U cards (default 1000) go up into empty
collections, by vorlink-cli and by vdirsyncer: a CardDAV server takes one PUT a card, and
its time per PUT, not the client's, sets the pace. Everything lives in a temporary
folder; the server is stopped by its process id."""
import os, resource, shutil, socket, subprocess, sys, tempfile, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
args = sys.argv[1:]
def option(name, default):
    if name in args:
        i = args.index(name)
        value = int(args[i + 1])
        del args[i:i + 2]
        return value
    return default
CARDS = option('--cards', 10000)
UPLOAD = option('--upload', 1000)
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
    f.write('[server]\nhosts = 127.0.0.1:%d\n[auth]\ntype = htpasswd\nhtpasswd_filename = %s/users\n'
            'htpasswd_encryption = plain\n[storage]\nfilesystem_folder = %s/store\n'
            '[logging]\nlevel = info\n' % (port, tmp, tmp))
with open(tmp + '/users', 'w') as f:
    f.write('bench:heslo\n')
with open(tmp + '/password', 'w') as f:
    f.write('heslo\n')
AUTH = ['--user', 'bench', '--password-file', tmp + '/password']
CURL = ['curl', '-s', '-u', 'bench:heslo']
log = open(tmp + '/radicale.log', 'w')
server = subprocess.Popen(['radicale', '--config', tmp + '/config.ini'], stdout=log, stderr=subprocess.STDOUT)
base = 'http://127.0.0.1:%d' % port

def requests_seen():
    with open(tmp + '/radicale.log') as f:
        return sum(1 for l in f if ' request for ' in l)

# Runs a command in a small wrapper whose only child it is, so the wrapper's view of its
# children's peak memory is that command's.
WRAP = ('import resource, subprocess, sys; r = subprocess.run(sys.argv[2:]).returncode; '
        'open(sys.argv[1], "w").write(str(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)); sys.exit(r)')

def run(cmd, **kw):
    """Wall time, peak memory (MB) of the command and its exit status."""
    start = time.monotonic()
    p = subprocess.run([sys.executable, '-c', WRAP, tmp + '/peak'] + cmd, env=env, capture_output=True, **kw)
    wall = time.monotonic() - start
    with open(tmp + '/peak') as f:
        peak = int(f.read()) / 1024.0
    return wall, peak, p

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
    subprocess.run(CURL + ['-o', '/dev/null', '-X', 'MKCOL', base + '/bench/'])

    def make_collection(name):
        subprocess.run(CURL + ['-o', '/dev/null', '-X', 'MKCOL', base + '/bench/' + name + '/', '-H',
                               'Content-Type: application/xml', '--data',
                               '<?xml version="1.0"?><mkcol xmlns="DAV:" xmlns:C="urn:ietf:params:xml:ns:carddav"><set><prop>'
                               '<resourcetype><collection/><C:addressbook/></resourcetype></prop></set></mkcol>'], check=True)
        return base + '/bench/' + name + '/'

    def card(i):
        return ('BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bench-%05d\r\nFN:Novák%05d Jan\r\nN:Novák%05d;Jan;;;\r\n'
                'TEL;TYPE=cell:+420 602 %03d %03d\r\nTEL;TYPE=work:+420 2 %04d %04d\r\n'
                'ADR;TYPE=home:;;Dlouhá %d;Praha;;110 00;Česko\r\nEMAIL:jan%05d@example.cz\r\n'
                'BDAY:19%02d-%02d-%02d\r\nX-VORLINK-NAMEDAY:24.06.\r\nNOTE:Poznámka %d\r\nEND:VCARD\r\n'
                % (i, i, i, i // 1000, i % 1000, i, i, i, i, i % 100, i % 12 + 1, i % 28 + 1, i))

    url = make_collection('kontakty')
    folder = tmp + '/store/collection-root/bench/kontakty'
    for i in range(CARDS):
        with open('%s/bench-%05d.vcf' % (folder, i), 'w', encoding='utf-8', newline='') as f:
            f.write(card(i))
    empty = tmp + '/prazdny.WDT'
    with open(empty, 'wb') as g:
        g.write(b'\0' * 3217)
    book = tmp + '/velky.WDT'
    shutil.copy(empty, book)
    print('%d cards laid into Radicale on 127.0.0.1:%d' % (CARDS, port))
    # The server reads its storage once, on the first request: curl pays for that.
    body = ('<?xml version="1.0"?><C:addressbook-query xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:carddav">'
            '<D:prop><D:getetag/><C:address-data/></D:prop></C:addressbook-query>')
    report('curl: PROPFIND of the ETags (cold)', CURL + ['-o', tmp + '/etags.xml', '-X', 'PROPFIND', '-H', 'Depth: 1', url])
    report('curl: every card in one REPORT', CURL + ['-o', tmp + '/all.xml', '-X', 'REPORT', '-H', 'Depth: 1',
                                                     '-H', 'Content-Type: application/xml', '--data', body, url])

    report('curl: PROPFIND of the ETags', CURL + ['-o', tmp + '/etags.xml', '-X', 'PROPFIND', '-H', 'Depth: 1', url])
    with open(tmp + '/all.xml', 'rb') as f:
        print('    curl fetched %d cards' % f.read().count(b'BEGIN:VCARD'))
    report('sync: %d cards into an empty book' % CARDS, [CLI, 'sync', book, '--url', url] + AUTH)
    print('    book %.1f MB' % (os.path.getsize(book) / 1e6))
    report('sync: nothing changed', [CLI, 'sync', book, '--url', url] + AUTH)
    with open('%s/bench-00007.vcf' % folder, 'w', encoding='utf-8', newline='') as f:
        f.write(card(7).replace('NOTE:', 'NOTE:Změněno na serveru. '))
    report('sync: one card changed on the server', [CLI, 'sync', book, '--url', url] + AUTH)

    def vdirsyncer_config(name, collection, vdir):
        os.makedirs(vdir, exist_ok=True)
        conf = tmp + '/' + name + '.conf'
        with open(conf, 'w') as f:
            f.write('[general]\nstatus_path = "%s/%s-status"\n\n[pair bench]\na = "server"\nb = "local"\ncollections = null\n'
                    'conflict_resolution = "a wins"\n\n[storage server]\ntype = "carddav"\nurl = "%s"\nusername = "bench"\n'
                    'password = "heslo"\n\n[storage local]\ntype = "filesystem"\npath = "%s"\nfileext = ".vcf"\n'
                    % (tmp, name, collection, vdir))
        subprocess.run(['vdirsyncer', '-c', conf, 'discover'], env=env, input=b'y\ny\n', capture_output=True)
        return conf

    conf = vdirsyncer_config('down', url, tmp + '/vdir-down')
    report('vdirsyncer: %d cards into an empty folder' % CARDS, ['vdirsyncer', '-c', conf, 'sync'])
    report('vdirsyncer: nothing changed', ['vdirsyncer', '-c', conf, 'sync'])

    # Uploads: the first U cards, from a book and from a folder, into empty collections.
    with open(tmp + '/up.vcf', 'w', encoding='utf-8', newline='') as f:
        for i in range(UPLOAD):
            f.write(card(i))
    up = tmp + '/nahoru.WDT'
    subprocess.run([CLI, 'import', tmp + '/up.vcf', up], env=env, check=True, capture_output=True)
    report('sync: %d cards up into an empty one' % UPLOAD, [CLI, 'sync', up, '--url', make_collection('nahoru')] + AUTH)
    vdir = tmp + '/vdir-up'
    os.makedirs(vdir)
    for i in range(UPLOAD):
        with open('%s/bench-%05d.vcf' % (vdir, i), 'w', encoding='utf-8', newline='') as f:
            f.write(card(i))
    conf = vdirsyncer_config('up', make_collection('vdir'), vdir)
    report('vdirsyncer: %d cards up' % UPLOAD, ['vdirsyncer', '-c', conf, 'sync'])
finally:
    server.terminate()
    try:
        server.wait(10)
    except subprocess.TimeoutExpired:
        server.kill()
    shutil.rmtree(tmp, ignore_errors=True)
