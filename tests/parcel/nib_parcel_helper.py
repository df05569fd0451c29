"""Writes and reads parcellation files with nibabel, the independent
implementation the parcellation tests compare gyrolux against.

    nib_parcel_helper.py write KIND PATH [OPTION]   writes a file, prints its dump
    nib_parcel_helper.py dump KIND PATH             reads a file, prints its dump

KIND is annot (OPTION "old" for the old colour-table layout, written by
hand since nibabel writes only the new one), gifti-labels or label
(written by hand: nibabel has no label writer). The dump lists the regions
as "regions N" and "KEY R G B A NAME" lines, then "vertices M" and one
line per vertex: its region's key, or "-" for none. A label file's dump
is "label N" and "VERTEX X Y Z VALUE" lines.
"""
import struct
import sys

import numpy as np
import nibabel as nib
from nibabel.gifti import GiftiDataArray, GiftiImage, GiftiLabel, GiftiLabelTable

NAMES = ['unknown', 'bankssts', 'caudal anterior cingulate', 'cuneus', 'entorhinal',
         'fusiform']


def byte(x):
    return int(np.floor(float(x) * 255 + 0.5))


def dump_regions(regions, vertex_keys):
    out = ['regions %d' % len(regions)]
    out += ['%d %d %d %d %d %s' % r for r in regions]
    out.append('vertices %d' % len(vertex_keys))
    out += ['-' if k is None else str(k) for k in vertex_keys]
    return '\n'.join(out) + '\n'


def annot_table(rng):
    ctab = np.zeros((len(NAMES), 5), np.int32)
    ctab[:, :3] = rng.integers(1, 256, size=(len(NAMES), 3))
    ctab[:, 3] = [0, 0, 0, 0, 55, 0]  # transparency, 255 - alpha
    return ctab


def write_old_annot(path, labels, ctab, names):
    packed = ctab[:, 0] + ctab[:, 1] * 256 + ctab[:, 2] * 65536
    out = struct.pack('>i', len(labels))
    for v, l in enumerate(labels):
        out += struct.pack('>ii', v, 0 if l < 0 else packed[l])
    out += struct.pack('>ii', 1, len(names))
    out += struct.pack('>i', 9) + b'orig.ctab'
    for row, name in zip(ctab, names):
        b = name.encode() + b'\0'
        out += struct.pack('>i', len(b)) + b + struct.pack('>iiii', *row[:4])
    with open(path, 'wb') as f:
        f.write(out)


def write(kind, path, option):
    rng = np.random.default_rng(20261210)
    n = 90
    if kind == 'annot':
        ctab = annot_table(rng)
        labels = rng.integers(-1, len(NAMES), n).astype(np.int32)
        labels[:3] = [-1, 0, len(NAMES) - 1]
        if option == 'old':
            write_old_annot(path, labels, ctab, NAMES)
        else:
            nib.freesurfer.write_annot(path, labels, ctab, NAMES)
        return dump('annot', path)
    if kind == 'gifti-labels':
        keys = [0, 3, 7, 12, 40]
        table = GiftiLabelTable()
        for i, key in enumerate(keys):
            label = GiftiLabel(key, *(rng.integers(0, 256, 4) / 255.0))
            label.label = NAMES[i] if i else '???'
            table.labels.append(label)
        data = rng.choice(keys, n).astype(np.int32)
        data[:2] = [99, 40]  # a key the table lacks
        img = GiftiImage(labeltable=table, darrays=[
            GiftiDataArray(data, intent='NIFTI_INTENT_LABEL', datatype='NIFTI_TYPE_INT32')])
        img.to_filename(path)
        return dump('gifti-labels', path)
    if kind == 'label':
        vertices = np.sort(rng.choice(n, 25, replace=False))
        rows = ['#!ascii label  , from subject bert vox2ras=TkReg', str(len(vertices))]
        for v in vertices:
            x, y, z = rng.standard_normal(3) * 30
            rows.append('%d  %.3f  %.3f  %.3f %.10f' % (v, x, y, z, rng.random()))
        with open(path, 'w') as f:
            f.write('\n'.join(rows) + '\n')
        return dump('label', path)
    raise SystemExit('unknown kind ' + kind)


def dump(kind, path):
    if kind == 'annot':
        labels, ctab, names = nib.freesurfer.read_annot(path)
        regions = [(i, r[0], r[1], r[2], 255 - r[3], names[i].decode())
                   for i, r in enumerate(ctab)]
        return dump_regions(regions, [None if l < 0 else int(l) for l in labels])
    if kind == 'gifti-labels':
        img = nib.load(path)
        regions = [(l.key, byte(l.red), byte(l.green), byte(l.blue), byte(l.alpha), l.label)
                   for l in img.labeltable.labels]
        keys = {r[0] for r in regions}
        data = img.agg_data('NIFTI_INTENT_LABEL')
        return dump_regions(regions, [int(k) if int(k) in keys else None for k in data])
    if kind == 'label':
        vertices, values = nib.freesurfer.read_label(path, read_scalars=True)
        xyz = np.loadtxt(path, skiprows=2, usecols=[1, 2, 3], ndmin=2)
        out = ['label %d' % len(vertices)]
        out += ['%d %.9g %.9g %.9g %.9g' % (v, np.float32(p[0]), np.float32(p[1]),
                                            np.float32(p[2]), np.float32(s))
                for v, p, s in zip(vertices, xyz, values)]
        return '\n'.join(out) + '\n'
    raise SystemExit('unknown kind ' + kind)


if __name__ == '__main__':
    action, kind, path = sys.argv[1:4]
    option = sys.argv[4] if len(sys.argv) > 4 else None
    sys.stdout.write(write(kind, path, option) if action == 'write' else dump(kind, path))
