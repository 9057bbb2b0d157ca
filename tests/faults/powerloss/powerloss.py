#!/usr/bin/env python3
"""Power loss and torn journals, played back from a traced run.

    powerloss.py replay|torn ZEKO [SETUP...]

A clean run of export A per writer setup is traced with strace (it also
sees the calls glibc makes on its own) and played on a model of the disk:
a file's bytes survive as of its last fsync/fdatasync, a folder's names as
of that folder's last fsync, each folder as if on a disk of its own.

replay: at every sync, rename and unlink, and at the end, the tree a power
  loss leaves is put in place; then export A again if its input survived
  (else the cover note must be A's), then export B: the tree must be that
  of undisturbed runs of A then B (every booking once, SPK.NUM raised once
  a run).
torn: each journal write torn at sampled lengths (both ends and every line
  end), the rest as a kill there leaves it: the same checks. Then one byte
  flipped in each line of such a write and of each journal just before and
  just after the commit. A damaged journal may make the next runs refuse
  (exit 1), leaving every output as before A or after it; a run that
  succeeds leaves the tree of undisturbed runs, never A twice.
"""
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
from concurrent.futures import ProcessPoolExecutor

GOLDEN = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'golden')
FOLDERS = ['', 'tmp', 'out', 'out2', 'prn']
INPUT = 'tmp/INPUT.$TM'

# name: golden case, the field whose values B changes, configuration changes
SETUPS = {
    'datax': ('datax/append_existing', b'150', {}),
    'generic_replace': ('generic/header_append', b'100', {b'APPEND': b'0'}),
    'hs': ('hs/second_run', b'150', {}),
    'ledax_replace': ('ledax/append_existing', b'150', {b'APPEND': b'0'}),
    'ledax_append': ('ledax/append_existing', b'150', {}),
    'spk_replace': ('spk/append_off', b'100', {}),
    'spk_append': ('spk/append', b'100', {}),
    'presort': ('presort/groups', b'110', {}),
}


def encode(readable, change=None):
    """The golden cases' readable records as record lines; the values of
    field `change` end in "B" instead."""
    records = [b'']
    for line in readable.splitlines():
        if line == b'--':
            records.append(b'')
        elif len(line) >= 3 and not line.startswith(b'#'):
            value = line[4:][:-1] + b'B' if line[:3] == change else line[4:]
            records[-1] += line[:3] + b'%03d000' % len(value) + value
    return b''.join(r + b'\r\n' for r in records if r)


class Setup:
    def __init__(self, name, root, zeko):
        case, self.bfield, changes = SETUPS[name]
        self.name, self.root, self.zeko = name, root, zeko
        case = os.path.join(GOLDEN, case)
        read = lambda p: open(os.path.join(case, p), 'rb').read()
        self.files = {}  # the tree before the run
        place = {}  # an output's name: its folder
        conf = []
        for line in read('fibconf').splitlines():
            key, eq, value = line.partition(b'=')
            if eq and re.fullmatch(rb'NAME\d', key) and value:
                names = value.split(b',')
                for name, folder in zip(names, (b'out/', b'out2/')):
                    place[name.decode()] = folder.decode()
                line = key + b'=' + b','.join(f + n for f, n in zip((b'out/', b'out2/'), names))
            elif key == b'PROTPRINTER':
                line = b'PROTPRINTER=' + root.encode() + b'/prn/NOTE.TXT'
            elif key in changes:
                line = key + b'=' + changes.pop(key)
            conf.append(line)
        conf += [k + b'=' + v for k, v in changes.items()]
        self.files['fibconf'] = b'\n'.join(conf) + b'\n'
        before = os.path.join(case, 'before')
        for name in sorted(os.listdir(before)) if os.path.isdir(before) else []:
            self.files[place.get(name, '') + name] = read(os.path.join('before', name))
        self.files[INPUT] = encode(read('input'))
        self.input_b = encode(read('input'), self.bfield)
        self.keep = root + '.input'  # a second name of A's input: see restore

    def prepare(self, files):
        shutil.rmtree(self.root, ignore_errors=True)
        for folder in FOLDERS:
            os.makedirs(os.path.join(self.root, folder), exist_ok=True)
        for rel, data in files.items():
            if isinstance(data, tuple):  # (inode, bytes) of a played state
                if data[0] == 'input' and os.path.exists(self.keep):
                    os.link(self.keep, os.path.join(self.root, rel))
                    continue
                data = data[1]
            with open(os.path.join(self.root, rel), 'wb') as f:
                f.write(data)

    def run(self, tag, trace=None):
        cmd = [self.zeko, '/CONFIG:./fibconf', '/TEMP:' + tag]
        env = dict(os.environ, TMPDIR=self.root + '/tmp')
        if trace:
            cmd = ['strace', '-f', '-y', '-xx', '-s', '1000000', '-o', trace, '-e', 'trace=' + TRACED] + cmd
            # LeakSanitizer cannot run under ptrace; the untraced runs still check leaks.
            env['ASAN_OPTIONS'] = env.get('ASAN_OPTIONS', '') + ':detect_leaks=0'
        r = subprocess.run(cmd, cwd=self.root, env=env,
                           stdin=subprocess.DEVNULL, capture_output=True, timeout=20)
        return r.returncode, r.stderr.decode('utf-8', 'replace').strip()

    def snapshot(self):
        files = {}
        for folder, _, names in os.walk(self.root):
            for name in names:
                path = os.path.join(folder, name)
                data = open(path, 'rb').read()
                if name == 'ZEKO.LOG':
                    data = committed_entries(data)
                    if data is None:  # only failed runs' entries: no booking
                        continue
                files[os.path.relpath(path, self.root)] = data
        return files

    def clean(self, tags):
        """The tree after undisturbed runs of these exports in turn."""
        self.prepare({r: d for r, d in self.files.items() if r != INPUT})
        for tag in tags:
            open(f'{self.root}/tmp/{tag}.$TM', 'wb').write(self.input_b if tag == 'INPUTB' else self.files[INPUT])
            rc, err = self.run(tag)
            assert rc == 0, f'{self.name}: clean run {tag}: exit {rc}: {err}'
        return self.snapshot()

    def references(self):
        self.ref = {'before A': self.clean([]) | {INPUT: self.files[INPUT]},
                    'after A': self.clean(['INPUT']), 'after A, B': self.clean(['INPUT', 'INPUTB']),
                    'after B': self.clean(['INPUTB'])}

    def label(self, rel, data):
        names = [name for name, ref in self.ref.items() if ref.get(rel) == data]
        if names:
            return 'absent' if data is None else 'as ' + ' = '.join(names)
        return f'{len(data)} bytes of no clean run'

    def diff(self, got, want):
        return '; '.join(f'{rel} {self.label(rel, got.get(rel))} instead of {self.label(rel, want.get(rel))}'
                         for rel in sorted(set(got) | set(want)) if got.get(rel) != want.get(rel))

    def next_runs(self, state, strict=True):
        """The host's next steps on a restored state; what went wrong, or None.
        Not strict: the runs may refuse (exit 1), see torn above."""
        self.prepare(state)
        problems, booked = [], True
        if os.path.exists(os.path.join(self.root, INPUT)):
            rc, err = self.run('INPUT')
            if rc != 0 and strict:
                return f'A again: exit {rc}: {err}'
            if strict and self.snapshot() != self.ref['after A']:
                problems.append(f'A again (exit {rc}): ' + self.diff(self.snapshot(), self.ref['after A']))
            booked = rc == 0
        else:  # A is done: its cover note is printed
            printed = lambda tree: {r: d for r, d in tree.items() if r.startswith('prn/')}
            if printed(self.snapshot()) != printed(self.ref['after A']):
                problems.append('input gone: ' + self.diff(printed(self.snapshot()), printed(self.ref['after A'])))
        open(self.root + '/tmp/INPUTB.$TM', 'wb').write(self.input_b)
        rc, err = self.run('INPUTB')
        got = self.snapshot()
        kept = lambda tree: {r: d for r, d in tree.items() if not r.startswith('tmp/')}
        if strict and rc != 0:
            problems.append(f'then B: exit {rc}: {err}')
        elif strict and got != self.ref['after A, B']:
            problems.append('then B (exit 0): ' + self.diff(got, self.ref['after A, B']))
        elif not strict and rc == 0:
            if all(kept(got) != kept(self.ref[w]) for w in ['after A, B'] + ([] if booked else ['after B'])):
                problems.append('then B (exit 0): ' + self.diff(kept(got), kept(self.ref['after A, B'])))
        elif not strict:
            a, b = self.ref['before A'], self.ref['after A']
            bad = [r for r in set(kept(a)) | set(kept(b)) if got.get(r) not in (a.get(r), b.get(r))]
            if bad:
                problems.append(f'then B (exit {rc}: {err}): ' + self.diff(
                    {r: got[r] for r in bad if r in got}, {r: b[r] for r in bad if r in b}))
        return '; '.join(problems) or None


TRACED = ('open,openat,creat,read,readv,pread64,write,writev,pwrite64,lseek,ftruncate,fsync,fdatasync,'
          'rename,renameat,renameat2,unlink,unlinkat,close,dup,dup2,dup3,fcntl,link,linkat,symlink,'
          'symlinkat,mkdir,mkdirat,copy_file_range,sendfile,fallocate,truncate')
HEX = re.compile(r'"((?:\\x[0-9a-f]{2})*)"')
FD = re.compile(r'(-?\d+|AT_FDCWD)<((?:\\x[0-9a-f]{2})*)>')


PROTOCOL_LINE = re.compile(rb'(.*),"hash":"([0-9a-f]{64})"\}')


def committed_entries(data):
    """The run protocol as far as runs must agree: an intact chain, and what
    each committed entry booked (times and machine differ from run to run).
    None when no run committed."""
    if data and not data.endswith(b'\n'):
        return b'broken: last line unterminated'
    prev, rows = '0' * 64, []
    for nr, line in enumerate(data.split(b'\n')[:-1], 1):
        m = PROTOCOL_LINE.fullmatch(line)
        if not m or hashlib.sha256(m.group(1) + b'}').hexdigest() != m.group(2).decode():
            return b'broken: line %d' % nr
        entry = json.loads(line)
        if entry['prev'] != prev or entry['nr'] != nr:
            return b'broken: chain at line %d' % nr
        prev = m.group(2).decode()
        if entry['result'] == 'ok':
            rows.append(json.dumps([entry['records'], [[o['path'], o['records'], o['sizeBefore'], o['sizeAfter'],
                                                        o['addedSha256']] for o in entry['outputs']]]))
    return '\n'.join(rows).encode() if rows else None


def unhex(text):
    return bytes.fromhex(text.replace('\\x', '')).decode('utf-8', 'surrogateescape')


class Inode:
    def __init__(self, data=b'', name=None):
        self.data, self.durable, self.name = bytearray(data), bytes(data), name


def play(setup, trace_path):
    """Plays the trace on the disk model. Yields ('sync', moment, model)
    after each call that may change what a power loss leaves, and ('write',
    (path, offset, bytes), model) before each write to a journal."""
    root = setup.root
    names = {rel: Inode(data, 'input' if rel == INPUT else None) for rel, data in setup.files.items()}
    model = {'names': names, 'durable': {f: {r: i for r, i in names.items() if folder(r) == f} for f in FOLDERS}}
    fds, pending, point = {}, {}, 0

    def rel(path):  # the path in the tree, or None outside it
        path = os.path.relpath(os.path.normpath(os.path.join(root, path)), root)
        if path.startswith('..'):
            return None
        if folder(path) not in FOLDERS and path not in FOLDERS:
            raise RuntimeError('a folder the model does not know: ' + path)
        return '' if path == '.' else path

    def moment(text):
        nonlocal point
        point += 1
        return f'call {point} ({text})'

    for line in open(trace_path, encoding='latin-1'):
        pid, _, text = line.rstrip('\n').partition(' ')
        text = text.strip()
        if text.endswith('<unfinished ...>'):
            pending[pid] = text[:-len('<unfinished ...>')].rstrip()
            continue
        m = re.match(r'<\.\.\. \w+ resumed>(.*)', text)
        if m:
            text = pending.pop(pid, '') + m.group(1)
        m = re.match(r'(\w+)\((.*)\)\s+= (-?\w+)(?:<((?:\\x[0-9a-f]{2})*)>)?', text)
        if not m or m.group(3) == '?' or int(m.group(3), 0) < 0:
            continue
        call, args, ret, retpath = m.group(1), m.group(2), int(m.group(3), 0), m.group(4)
        fdm = FD.match(args)
        f = fds.get(int(fdm.group(1))) if fdm and fdm.group(1) != 'AT_FDCWD' else None
        paths = [unhex(s) for s in HEX.findall(args)]
        dirs = [unhex(p) for _, p in FD.findall(args)]
        if call in ('open', 'openat', 'creat'):
            path = rel(unhex(retpath)) if retpath is not None else None
            fds.pop(ret, None)
            if path in FOLDERS:
                fds[ret] = {'dir': path}
            elif path is not None:
                inode = names.setdefault(path, Inode())
                if 'O_TRUNC' in args:
                    del inode.data[:]
                fds[ret] = {'inode': inode, 'at': 0, 'append': 'O_APPEND' in args, 'path': path}
        elif call == 'close':
            fds.pop(int(fdm.group(1)), None)
        elif call in ('dup', 'dup2', 'dup3') or call == 'fcntl' and 'F_DUPFD' in args:
            fds[ret] = f
        elif call in ('rename', 'renameat', 'renameat2', 'unlink', 'unlinkat'):
            src = rel(os.path.join(dirs[0] if dirs else '', paths[0]))
            if call.startswith('rename'):
                dst = rel(os.path.join(dirs[-1] if dirs else '', paths[1]))
                if (src is None) != (dst is None):
                    raise RuntimeError('rename across the tree: ' + text[:200])
                if src is not None:
                    names[dst] = names.pop(src)
            elif src is not None and 'AT_REMOVEDIR' not in args:
                names.pop(src, None)
            if src is not None:
                yield 'sync', moment(f'{call} {src}'), model
        elif call in ('link', 'linkat', 'truncate', 'mkdir', 'mkdirat', 'symlink', 'symlinkat'):
            if any(rel(p) is not None for p in paths):
                raise RuntimeError('not modelled: ' + text[:200])
        elif f is None:
            pass
        elif 'dir' in f:
            if call in ('fsync', 'fdatasync'):
                model['durable'][f['dir']] = {r: i for r, i in names.items() if folder(r) == f['dir']}
                yield 'sync', moment(f'{call} folder {f["dir"] or "."}'), model
        elif call in ('read', 'readv'):
            f['at'] += ret
        elif call == 'lseek':
            f['at'] = ret
        elif call in ('write', 'writev', 'pwrite64'):
            data = bytes.fromhex(''.join(HEX.findall(args)).replace('\\x', ''))[:ret]
            inode = f['inode']
            at = int(args.rsplit(',', 1)[1]) if call == 'pwrite64' else \
                len(inode.data) if f['append'] else f['at']
            if f['path'].endswith('.$JN'):
                yield 'write', (f['path'], at, data), model
            inode.data[at:at + len(data)] = bytes(max(0, at - len(inode.data))) + data
            if call != 'pwrite64':
                f['at'] = at + len(data)
        elif call == 'ftruncate':
            size, inode = int(args.rsplit(',', 1)[1]), f['inode']
            inode.data[:] = inode.data[:size] + bytes(max(0, size - len(inode.data)))
        elif call in ('fsync', 'fdatasync'):
            f['inode'].durable = bytes(f['inode'].data)
            yield 'sync', moment(f'{call} {f["path"]}'), model
        elif call in ('copy_file_range', 'sendfile', 'fallocate'):
            raise RuntimeError('not modelled: ' + text[:200])
    yield 'sync', f'the end, after call {point}', model


def folder(rel):
    return rel.rpartition('/')[0]


def state(model, durable):
    """The tree as (inode, bytes) by path: what survives a power loss, or
    (durable false) what a kill leaves."""
    names = {r: i for d in model['durable'].values() for r, i in d.items()} if durable else model['names']
    return {r: (i.name or id(i), i.durable if durable else bytes(i.data)) for r, i in names.items()}


def key(tree):
    return tuple(sorted((rel, v[1], v[0] == 'input') for rel, v in tree.items()))


def traced(setup):
    setup.references()
    setup.prepare(setup.files)
    if os.path.exists(setup.keep):
        os.unlink(setup.keep)
    # A second name keeps A's very input file (inode, time) for the restored trees.
    os.link(os.path.join(setup.root, INPUT), setup.keep)
    trace = setup.root + '.trace'
    rc, err = setup.run('INPUT', trace)
    assert rc == 0, f'{setup.name}: traced run: exit {rc}: {err}'
    return trace


def cuts(data):
    """Both ends, next to them, every line end and a sample between."""
    size = len(data)
    return sorted({0, 1, size - 1, size, *range(0, size, max(1, size // 8)), *lines(data)})


def lines(data):
    return [m.end() for m in re.finditer(b'\n', data)]


def flips(data):
    """(offset, bytes) with a byte in the middle of each line flipped."""
    for start, end in zip([0] + lines(data), lines(data) or [len(data)]):
        flip = bytearray(data)
        flip[(start + end) // 2] ^= 1
        yield (start + end) // 2, bytes(flip)


def replay(setup):
    seen, problems, points = set(), [], 0
    for event, what, model in play(setup, traced(setup)):
        tree = state(model, durable=True) if event == 'sync' else None
        points += tree is not None
        if tree is not None and key(tree) not in seen:
            seen.add(key(tree))
            problem = setup.next_runs(tree)
            if problem:
                problems.append(f'{setup.name}: power loss after {what}: {problem}')
    return problems, f'{setup.name}: {points} moments, {len(seen)} distinct power-loss states'


def torn(setup):
    seen, problems, variants = set(), [], []
    # The trees just before and just after the commit: the last journal
    # write before the run puts files in place or removes them.
    stops, cleanup = [], False
    for event, what, model in play(setup, traced(setup)):
        cleanup = cleanup or event == 'sync' and re.search(r'\((rename|unlink)\w* (?!tmp/)', what)
        if event == 'write':
            rel, at, data = what
            tree = state(model, durable=False)
            old = tree.get(rel, (None, b''))[1]
            stops = stops if cleanup else [tree]
            for n in cuts(data):
                variants.append((f'{rel} torn at byte {at + n}', tree, rel, old[:at] + data[:n], True))
            for n, flip in flips(data):
                variants.append((f'{rel} written with byte {at + n} flipped', tree, rel,
                                 old[:at] + flip + old[at + len(data):], False))
        elif 'fsync' in what and len(stops) == 1 and not cleanup:
            stops.append(state(model, durable=False))
    for tree, when in zip(stops, ('before', 'after')):
        for rel, (_, data) in sorted(tree.items()):
            for n, flip in flips(data) if rel.endswith('.$JN') else ():
                variants.append((f'stopped {when} the commit, {rel} byte {n} flipped', tree, rel, flip, False))
    for what, tree, rel, data, strict in variants:
        tree = tree | {rel: (None, data)}
        if key(tree) not in seen:
            seen.add(key(tree))
            problem = setup.next_runs(tree, strict)
            if problem:
                problems.append(f'{setup.name}: {what}: {problem}')
    return problems, f'{setup.name}: {len(seen)} torn journals'


def work(job):
    mode, name, base, zeko = job
    setup = Setup(name, os.path.join(base, name), zeko)
    try:
        return (replay if mode == 'replay' else torn)(setup)
    except Exception as e:  # a setup that cannot run is a failure, not a crash of the others
        return [f'{name}: {type(e).__name__}: {e}'], f'{name}: broken'


def main():
    mode, zeko = sys.argv[1], os.path.abspath(sys.argv[2])
    names = sys.argv[3:] or list(SETUPS)
    if not shutil.which('strace'):
        sys.exit('strace not found (scripts/deps.sh installs it)')
    failed = False
    # In memory where there is a file system for it: the runs' syncs cost nothing there.
    shm = '/dev/shm' if os.access('/dev/shm', os.W_OK) else None
    with tempfile.TemporaryDirectory(prefix='zeko-powerloss-', dir=shm) as base:
        with ProcessPoolExecutor(max_workers=2) as pool:
            for problems, summary in pool.map(work, [(mode, n, base, zeko) for n in names]):
                print(summary + (f', {len(problems)} failing' if problems else ', all hold'))
                for p in problems:
                    print('  FAIL ' + p)
                failed = failed or bool(problems)
    sys.exit(1 if failed else 0)


if __name__ == '__main__':
    main()
