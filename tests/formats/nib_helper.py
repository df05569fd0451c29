"""Writes and reads surface and per-vertex files with nibabel, the
independent implementation the format tests compare gyrolux against.

    nib_helper.py write KIND PATH [OPTION]   writes a file, prints its dump
    nib_helper.py dump KIND PATH             reads a file, prints its dump

KIND is fs-surface, curv, mgh, gifti-surface or gifti-data; OPTION is
"centre" (fs-surface), the data type (mgh), the encoding, "transform"
(gifti-surface: gzip-compressed, with a translation) or "types" (gifti-data:
a column-major float64 array, uint8 and int16 arrays). KIND hand-surface
or hand-data writes by hand what nibabel cannot (OPTION a variant of
HAND_VARIANTS: other writers' attribute spellings, big-endian data,
external data files) and dumps nibabel's reading of it; a PATH ending in
".gz" is written (and dumped) gzip-compressed. The dump lists
the values as '%.9g' (exact for float32): "points N" and N lines, then
"triangles M" and M lines; or per column "column NAME N" and N lines.
"""
import base64
import gzip
import os
import sys
import zlib

import numpy as np
import nibabel as nib
from nibabel.gifti import GiftiCoordSystem, GiftiDataArray, GiftiImage

ENCODINGS = {'ascii': 'ASCII', 'base64': 'GIFTI_ENCODING_B64BIN',
             'gzip': 'GIFTI_ENCODING_B64GZ'}


def values(rng, n, exact_in_ascii=False):
    v = rng.standard_normal(n).astype(np.float32) * np.float32(37.5)
    if exact_in_ascii:  # nibabel writes ASCII with six decimals
        v = np.round(v * 64) / 64
    v[:4] = [0.0, -1.5, 3.0e-8, 123456.789][:min(4, n)]
    if exact_in_ascii:
        v[2:4] = [0.015625, 4096.25][:max(0, min(2, n - 2))]
    return v.astype(np.float32)


def surface(rng, exact_in_ascii=False):
    n_points, n_triangles = 50, 96
    coords = values(rng, 3 * n_points, exact_in_ascii).reshape(n_points, 3)
    faces = rng.integers(0, n_points, size=(n_triangles, 3)).astype(np.int32)
    faces[0] = [0, n_points - 1, 1]
    return coords, faces


def dump_surface(coords, faces):
    out = ['points %d' % len(coords)]
    out += ['%.9g %.9g %.9g' % tuple(float(x) for x in p) for p in coords]
    out += ['triangles %d' % len(faces)]
    out += ['%d %d %d' % tuple(int(i) for i in f) for f in faces]
    return '\n'.join(out) + '\n'


def dump_columns(columns):
    out = []
    for name, column in columns:
        out.append('column %s %d' % (name, len(column)))
        out += ['%.9g' % float(x) for x in column]
    return '\n'.join(out) + '\n'


def curv_name(path):
    base = os.path.basename(path)
    dot = base.find('.')
    return base[dot + 1:] if 0 <= dot < len(base) - 1 else base


def frame_names(path, frames):
    # One frame is named from the file as a curv file's column is.
    if frames == 1:
        return [curv_name(path[:-4] if path.endswith(('.mgh', '.mgz')) else path)]
    return ['frame%d' % f for f in range(frames)]


def gifti_columns(img):
    columns = []
    for i, da in enumerate(img.darrays):
        name = '_'.join((da.meta.get('Name') or 'array%d' % i).split(' '))
        data = np.asarray(da.data)
        if data.ndim == 1:
            columns.append((name, data))
        else:
            columns += [('%s_%d' % (name, j), data[:, j]) for j in range(data.shape[1])]
    return columns


# variant: (Encoding, Endian, DataType spelling: 'nifti' or 'label')
HAND_VARIANTS = {
    'legacy-ascii': ('GIFTI_ENCODING_ASCII', 'LittleEndian', 'nifti'),
    'legacy-base64': ('GIFTI_ENCODING_B64BIN', 'LittleEndian', 'nifti'),
    'legacy-gzip': ('GIFTI_ENCODING_B64GZ', 'GIFTI_ENDIAN_LITTLE', 'nifti'),
    'big-spelled-out': ('Base64Binary', 'GIFTI_ENDIAN_BIG', 'nifti'),
    'big-gzip': ('GZipBase64Binary', 'BigEndian', 'label'),
    'big-short': ('B64BIN', 'big', 'label'),
    'little-labels': ('GZipBase64Binary', 'little', 'label'),
    'external-big': ('ExternalFileBinary', 'GIFTI_ENDIAN_BIG', 'nifti'),
    'external-little': ('GIFTI_ENCODING_EXTBIN', 'LittleEndian', 'label'),
}
NIFTI_TYPES = {'float32': 'NIFTI_TYPE_FLOAT32', 'float64': 'NIFTI_TYPE_FLOAT64',
               'int32': 'NIFTI_TYPE_INT32', 'int16': 'NIFTI_TYPE_INT16',
               'uint8': 'NIFTI_TYPE_UINT8', 'uint16': 'NIFTI_TYPE_UINT16',
               'int8': 'NIFTI_TYPE_INT8'}


def hand_array(data, intent, variant, path, index):
    encoding, endian, names = HAND_VARIANTS[variant]
    big = endian in ('GIFTI_ENDIAN_BIG', 'BigEndian', 'big')
    label = data.dtype.name
    dtype = NIFTI_TYPES[label] if names == 'nifti' else label
    raw = data.astype(data.dtype.newbyteorder('>' if big else '<')).tobytes()
    ext, body = '', ''
    if 'ASCII' in encoding:
        body = '\n'.join(' '.join(repr(x.item()) for x in np.atleast_1d(row)) for row in data)
    elif 'EXT' in encoding or encoding.startswith('External'):
        name = os.path.basename(path).split('.')[0] + '.dat'
        with open(os.path.join(os.path.dirname(path), name), 'ab') as f:
            offset = f.tell()
            f.write(raw)
        ext = ' ExternalFileName="%s" ExternalFileOffset="%d"' % (name, offset)
    elif 'GZ' in encoding:
        body = base64.b64encode(zlib.compress(raw)).decode()
    else:
        body = base64.b64encode(raw).decode()
    dims = ' '.join('Dim%d="%d"' % (i, n) for i, n in enumerate(data.shape))
    return ('<DataArray Intent="%s" DataType="%s" ArrayIndexingOrder="RowMajorOrder" '
            'Dimensionality="%d" %s Encoding="%s" Endian="%s"%s><Data>%s</Data></DataArray>\n'
            % (intent, dtype, data.ndim, dims, encoding, endian, ext, body))


def save_text(path, text):
    data = text.encode()
    with open(path, 'wb') as f:
        f.write(gzip.compress(data) if path.endswith('.gz') else data)


def load_gifti(path):
    if path.endswith('.gz'):
        with gzip.open(path, 'rb') as f:
            return GiftiImage.from_bytes(f.read())
    return nib.load(path)


def write_hand(kind, path, variant, rng):
    if kind == 'hand-surface':
        coords, faces = surface(rng, True)
        arrays = [(coords, 'NIFTI_INTENT_POINTSET'), (faces, 'NIFTI_INTENT_TRIANGLE')]
    else:
        arrays = [(values(rng, 40, True).reshape(20, 2), 'NIFTI_INTENT_SHAPE'),
                  (np.linspace(-32768, 32767, 20).astype(np.int16), 'NIFTI_INTENT_NONE'),
                  (np.arange(0, 260, 13).astype(np.uint8), 'NIFTI_INTENT_NONE'),
                  ((values(rng, 20) * np.float32(1e-3)).astype(np.float64), 'NIFTI_INTENT_NONE'),
                  (rng.integers(-100000, 100000, 20).astype(np.int32), 'NIFTI_INTENT_NONE')]
    text = ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<GIFTI Version="1.0" NumberOfDataArrays="%d">\n' % len(arrays) +
            ''.join(hand_array(a, intent, variant, path, i)
                    for i, (a, intent) in enumerate(arrays)) + '</GIFTI>\n')
    save_text(path, text)
    return dump('gifti-surface' if kind == 'hand-surface' else 'gifti-data', path)


def write(kind, path, option):
    rng = np.random.default_rng(20261209)
    if kind.startswith('hand-'):
        return write_hand(kind, path, option, rng)
    if kind == 'fs-surface':
        coords, faces = surface(rng)
        info = None
        if option == 'centre':
            info = {'head': np.array([2, 0, 20]), 'valid': '1  # volume info valid',
                    'filename': 'orig.mgz', 'volume': np.array([256, 256, 256]),
                    'voxelsize': np.array([1.0, 1.0, 1.0]),
                    'xras': np.array([-1.0, 0.0, 0.0]), 'yras': np.array([0.0, 0.0, -1.0]),
                    'zras': np.array([0.0, 1.0, 0.0]), 'cras': np.array([1.5, -17.25, 9.0])}
        nib.freesurfer.write_geometry(path, coords, faces, 'created by nibabel',
                                      volume_info=info)
        return dump_surface(coords, faces)
    if kind == 'curv':
        v = values(rng, 77)
        nib.freesurfer.write_morph_data(path, v)
        return dump_columns([(curv_name(path), v)])
    if kind == 'mgh':
        dtype = np.dtype(option or 'float32')
        frames = 3 if dtype == np.float32 else 1
        v = values(rng, 61 * frames).reshape(61, 1, 1, frames)
        if dtype != np.float32:
            v = np.clip(np.round(v), np.iinfo(dtype).min, np.iinfo(dtype).max)
        v = v.astype(dtype)
        nib.save(nib.MGHImage(v if frames > 1 else v[..., 0], np.eye(4)), path)
        return dump_columns(list(zip(frame_names(path, frames), (v[:, 0, 0, f] for f in range(frames)))))
    transform = option == 'transform'
    encoding = ENCODINGS['gzip' if option in (None, 'transform', 'types') else option]
    exact = option == 'ascii'
    if kind == 'gifti-surface':
        coords, faces = surface(rng, exact)
        system = None
        if transform:
            xform = np.eye(4)
            xform[:3, 3] = [10.0, -2.5, 0.125]
            system = GiftiCoordSystem('NIFTI_XFORM_SCANNER_ANAT', 'NIFTI_XFORM_TALAIRACH', xform)
        img = GiftiImage(darrays=[
            GiftiDataArray(coords, intent='NIFTI_INTENT_POINTSET', encoding=encoding,
                           coordsys=system),
            GiftiDataArray(faces, intent='NIFTI_INTENT_TRIANGLE', encoding=encoding)])
        img.to_filename(path)
        return dump_surface(coords, faces)
    if kind == 'gifti-data' and option == 'types':
        plane = values(rng, 40).astype(np.float64).reshape(20, 2)
        arrays = [GiftiDataArray(plane, ordering='F', datatype='NIFTI_TYPE_FLOAT64',
                                 encoding=ENCODINGS['base64']),
                  GiftiDataArray(np.arange(0, 260, 13).astype(np.uint8), encoding=encoding),
                  GiftiDataArray(np.linspace(-32768, 32767, 20).astype(np.int16),
                                 encoding=encoding)]
        img = GiftiImage(darrays=arrays)
        img.to_filename(path)
        return dump_columns(gifti_columns(img))
    if kind == 'gifti-data':
        arrays = [GiftiDataArray(values(rng, 40, exact), intent='NIFTI_INTENT_SHAPE',
                                 encoding=encoding, meta={'Name': 'thickness'}),
                  GiftiDataArray(values(rng, 80, exact).reshape(40, 2), encoding=encoding),
                  GiftiDataArray(rng.integers(-5, 300, 40).astype(np.int32),
                                 encoding=encoding, meta={'Name': 'cluster id'})]
        img = GiftiImage(darrays=arrays)
        img.to_filename(path)
        return dump_columns(gifti_columns(img))
    raise SystemExit('unknown kind ' + kind)


def dump(kind, path):
    if kind == 'fs-surface':
        coords, faces = nib.freesurfer.read_geometry(path)
        return dump_surface(coords.astype(np.float32), faces)
    if kind == 'curv':
        values = nib.freesurfer.read_morph_data(path).astype(np.float32)  # ours are floats
        return dump_columns([(curv_name(path), values)])
    if kind == 'mgh':
        data = np.asanyarray(nib.load(path).dataobj)
        data = data.reshape(data.shape[0], -1)
        names = frame_names(path, data.shape[1])
        return dump_columns([(names[f], data[:, f]) for f in range(data.shape[1])])
    if kind == 'gifti-surface':
        img = load_gifti(path)
        coords = img.agg_data('NIFTI_INTENT_POINTSET')
        faces = img.agg_data('NIFTI_INTENT_TRIANGLE')
        return dump_surface(coords, faces)
    if kind == 'gifti-data':
        return dump_columns(gifti_columns(load_gifti(path)))
    raise SystemExit('unknown kind ' + kind)


if __name__ == '__main__':
    action, kind, path = sys.argv[1:4]
    option = sys.argv[4] if len(sys.argv) > 4 else None
    sys.stdout.write(write(kind, path, option) if action == 'write' else dump(kind, path))
