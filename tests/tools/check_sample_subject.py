"""Reads make_samples' subject folder with nibabel and checks what the
viewer's tests rely on: one vertex count across each hemisphere's surfaces
and data files, curv in FreeSurfer's sign (measured again here from the
white mesh: positive where the surface is concave), the hemispheres apart
as white surfaces and overlapping as inflated ones.

    check_sample_subject.py MAKE_SAMPLES SCRATCH_DIR
"""
import os
import subprocess
import sys

import numpy as np
import nibabel.freesurfer as fs


def fail(text):
    print('FAIL: ' + text)
    sys.exit(1)


def vertex_normals(coords, faces):
    a, b, c = (coords[faces[:, k]] for k in range(3))
    face = np.cross(b - a, c - a)
    normals = np.zeros_like(coords)
    for k in range(3):
        np.add.at(normals, faces[:, k], face)
    return normals / np.linalg.norm(normals, axis=1, keepdims=True)


def concavity(coords, faces):
    """(neighbours' centroid - vertex) . normal: above zero in a hollow."""
    edges = np.concatenate([faces[:, [0, 1]], faces[:, [1, 2]], faces[:, [2, 0]]])
    edges = np.unique(np.sort(edges, axis=1), axis=0)
    total = np.zeros_like(coords)
    count = np.zeros(len(coords))
    for i, j in ((0, 1), (1, 0)):
        np.add.at(total, edges[:, i], coords[edges[:, j]])
        np.add.at(count, edges[:, i], 1)
    centroid = total / count[:, None]
    return np.einsum('ij,ij->i', centroid - coords, vertex_normals(coords, faces))


def main():
    tool, scratch = sys.argv[1], sys.argv[2]
    os.makedirs(scratch, exist_ok=True)
    subprocess.run([tool, scratch], check=True)
    subject = os.path.join(scratch, 'subject')
    ranges = {}
    for hemi in ('lh', 'rh'):
        surfaces = {}
        for name in ('white', 'pial', 'inflated', 'sphere'):
            surfaces[name] = fs.read_geometry(os.path.join(subject, 'surf', hemi + '.' + name))
        n = len(surfaces['white'][0])
        faces = surfaces['white'][1]
        if n != 10242:
            fail('%s.white has %d vertices' % (hemi, n))
        for name, (coords, tris) in surfaces.items():
            if len(coords) != n or not np.array_equal(tris, faces):
                fail('%s.%s differs from the white surface in its mesh' % (hemi, name))
            ranges[hemi, name] = (coords[:, 0].min(), coords[:, 0].max())
        data = {}
        for name in ('curv', 'sulc', 'thickness'):
            data[name] = fs.read_morph_data(os.path.join(subject, 'surf', hemi + '.' + name))
            if len(data[name]) != n:
                fail('%s.%s has %d values for %d vertices' % (hemi, name, len(data[name]), n))
        if not (data['thickness'] > 1.0).all():
            fail(hemi + '.thickness has values of 1 mm or less')

        coords = surfaces['white'][0]
        hollow = concavity(coords, faces)
        curv = data['curv']
        clear = np.abs(hollow) > 0.05
        agree = np.mean(np.sign(curv[clear]) == np.sign(hollow[clear]))
        if agree < 0.99:
            fail('%s.curv has the mesh\'s sign at only %.3f of the vertices' % (hemi, agree))
        # Both kinds of place in good numbers, and sulc deep where curv is positive.
        if min(np.mean(curv > 0.02), np.mean(curv < -0.02)) < 0.2:
            fail(hemi + '.curv lacks sulci or gyri')
        if np.corrcoef(curv, data['sulc'])[0, 1] < 0.5:
            fail(hemi + '.curv and sulc do not agree on where the sulci are')
        # The surface faces outwards.
        centre = coords.mean(axis=0)
        outward = np.einsum('ij,ij->i', coords - centre, vertex_normals(coords, faces))
        if np.mean(outward > 0) < 0.95:
            fail(hemi + '.white faces inwards')

        labels, ctab, names = fs.read_annot(os.path.join(subject, 'label', hemi + '.aparc.annot'))
        if len(labels) != n or [x.decode() for x in names] != [
                'frontal', 'parietal', 'occipital', 'temporal']:
            fail('%s.aparc.annot: %d labels, regions %s' % (hemi, len(labels), names))
        if set(np.unique(labels)) != {-1, 0, 1, 2, 3}:
            fail('%s.aparc.annot: labels %s' % (hemi, np.unique(labels)))

    if not ranges['lh', 'white'][1] < 0 < ranges['rh', 'white'][0]:
        fail('white surfaces not on their sides: %s' % ranges)
    if not ranges['lh', 'inflated'][1] > ranges['rh', 'inflated'][0]:
        fail('inflated surfaces do not overlap in x: %s' % ranges)
    print('sample subject: checked')


main()
