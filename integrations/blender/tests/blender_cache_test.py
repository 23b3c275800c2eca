# Checks of a baked particle cache in the real Blender, run headless:
#   blender -b --factory-startup --python-exit-code 1 -P blender_cache_test.py -- CHECK CACHE_DIR [ARGS]
#
#   stock  CACHE_DIR [SUMMARY.json]  Blender's own PLY importer reads every frame
#                                    file and finds one vertex per spark in flight
#   addon  CACHE_DIR                 the add-on, registered as Blender registers it,
#                                    imports the folder: the stock importer's
#                                    positions, and the attributes age, velocity, id
#   render CACHE_DIR OUT_DIR FRAME   the command line renders one frame; the
#                                    picture shows glowing sparks on a dark ground
#
# A failed check raises, so Blender exits 1 and the message names the frame.
import json
import math
import os
import struct
import subprocess
import sys

import bpy

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
import plix_cache  # noqa: E402  (the add-on, beside this folder)


def fail(message):
    raise AssertionError(message)


def header_count(path):
    with open(path, "rb") as stream:
        for line in stream:
            if line.startswith(b"element vertex "):
                return int(line.split()[2])
            if line.startswith(b"end_header"):
                break
    fail(f"{path}: no 'element vertex' line")


def clear_scene():
    for obj in list(bpy.data.objects):
        bpy.data.objects.remove(obj, do_unlink=True)
    for mesh in list(bpy.data.meshes):
        bpy.data.meshes.remove(mesh)


def stock_import(path):
    """The mesh that Blender's stock PLY importer makes of one file."""
    clear_scene()
    result = bpy.ops.import_mesh.ply(filepath=path)
    if result != {"FINISHED"}:
        fail(f"{path}: the stock PLY importer answered {result}")
    meshes = [o for o in bpy.context.scene.objects if o.type == "MESH"]
    if len(meshes) != 1:
        fail(f"{path}: the stock PLY importer made {len(meshes)} mesh objects, expected 1")
    return meshes[0].data


def check_stock(cache, summary=None):
    in_flight = {}
    if summary:
        with open(summary) as stream:
            for frame in json.load(stream)["frames"]:
                in_flight[frame["frame"]] = frame["in_flight"]
    frames = plix_cache.list_cache_frames(cache)
    for frame, path in frames:
        expected = in_flight.get(frame, header_count(path))
        mesh = stock_import(path)
        if len(mesh.vertices) != expected:
            fail(f"{path}: the stock importer found {len(mesh.vertices)} vertices, {expected} sparks are in flight")
    if in_flight and sorted(in_flight) != [f for f, _ in frames]:
        fail(f"{cache}: frames {sorted(in_flight)[:3]}... in the summary, {[f for f, _ in frames][:3]}... on disk")
    print(f"stock importer: {len(frames)} frames read, vertex counts match")


def check_addon(cache):
    plix_cache.register()
    try:
        clear_scene()
        result = bpy.ops.import_scene.plix_cache(filepath=cache)
        if result != {"FINISHED"}:
            fail(f"{cache}: the add-on's import answered {result}")
        objects = [o for o in bpy.context.scene.objects if o.name.startswith("plix sparks")]
        if len(objects) != 1:
            fail(f"{cache}: the add-on made {len(objects)} point objects, expected 1")
        mesh = objects[0].data
        for name, kind in (("age", "FLOAT"), ("velocity", "FLOAT_VECTOR"), ("id", "INT"), ("plix_frame", "INT")):
            attribute = mesh.attributes.get(name)
            if attribute is None or attribute.data_type != kind or attribute.domain != "POINT":
                fail(f"{cache}: the imported mesh has no point attribute '{name}' of type {kind}")
        count = len(mesh.vertices)
        co = [0.0] * (3 * count)
        mesh.vertices.foreach_get("co", co)
        frame_of = [0] * count
        mesh.attributes["plix_frame"].data.foreach_get("value", frame_of)
        ages = [0.0] * count
        mesh.attributes["age"].data.foreach_get("value", ages)
        velocity = [0.0] * (3 * count)
        mesh.attributes["velocity"].data.foreach_get("vector", velocity)
        ids = [0] * count
        mesh.attributes["id"].data.foreach_get("value", ids)
        imported = {}
        for i in range(count):
            imported.setdefault(frame_of[i], []).append(i)
        frames = plix_cache.list_cache_frames(cache)
        # The stock importer for every tenth frame: its positions are the add-on's.
        for frame, path in frames[::10]:
            stock = stock_import(path)
            rows = imported.get(frame, [])
            if len(rows) != len(stock.vertices):
                fail(f"{path}: the add-on imported {len(rows)} points, the stock importer {len(stock.vertices)}")
            for k, row in enumerate(rows):
                a = stock.vertices[k].co
                b = co[3 * row:3 * row + 3]
                if any(abs(a[c] - b[c]) > 1e-6 * max(1.0, abs(a[c])) for c in range(3)):
                    fail(f"{path}: point {k} at {tuple(a)} by the stock importer, {tuple(b)} by the add-on")
        # Values as the file holds them, read with the add-on's own reader.
        for frame, path in frames[::10]:
            cached = plix_cache.read_cache_frame(path, frame)
            rows = imported.get(frame, [])
            for k, row in enumerate(rows):
                if ids[row] != cached.ids[k] or ages[row] != struct.unpack("f", struct.pack("f", cached.ages[k]))[0]:
                    fail(f"{path}: point {k} has id {ids[row]} age {ages[row]}, the file {cached.ids[k]} {cached.ages[k]}")
                for c in range(3):
                    if abs(velocity[3 * row + c] - cached.velocities[3 * k + c]) > 1e-6 * max(1.0, abs(cached.velocities[3 * k + c])):
                        fail(f"{path}: point {k} velocity {velocity[3 * row:3 * row + 3]}, the file {cached.velocities[3 * k:3 * k + 3]}")
        print(f"add-on: {count} points in {len(imported)} frames, positions equal the stock importer's")
    finally:
        plix_cache.unregister()


def check_render(cache, out, frame):
    script = os.path.join(os.path.dirname(HERE), "plix_cache.py")
    command = [bpy.app.binary_path, "-b", "--factory-startup", "--python-exit-code", "1", "-P", script, "--",
               cache, "--frames", f"{frame}-{frame}", "--render", out, "--resolution", "160x120", "--samples", "8"]
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if done.returncode != 0:
        fail(f"the render command exited {done.returncode}:\n{done.stdout[-3000:]}")
    picture = os.path.join(out, f"frame_{int(frame):06d}.png")
    if not os.path.isfile(picture):
        fail(f"the render command wrote no {picture}")
    leftovers = [n for n in os.listdir(out) if "partial" in n]
    if leftovers:
        fail(f"{out}: temporary files left behind: {leftovers}")
    image = bpy.data.images.load(picture)
    width, height = image.size
    pixels = list(image.pixels)
    glowing = dark = 0
    for i in range(0, len(pixels), 4):
        r, g, b = pixels[i:i + 3]
        if r > 0.5 and r >= g >= b and r - b > 0.1:
            glowing += 1  # warm and bright: a spark
        elif max(r, g, b) < 0.15:
            dark += 1
    total = width * height
    print(f"render: {width}x{height}, {glowing} glowing pixels, {dark} dark ones")
    if glowing < 30:
        fail(f"{picture}: only {glowing} of {total} pixels glow like sparks")
    if dark < total // 2:
        fail(f"{picture}: only {dark} of {total} pixels are dark ground; the sparks should stand out")


def main(argv):
    if not argv:
        fail("usage: blender_cache_test.py stock|addon|render CACHE_DIR ...")
    check, args = argv[0], argv[1:]
    if check == "stock":
        check_stock(*args)
    elif check == "addon":
        check_addon(*args)
    elif check == "render":
        check_render(*args)
    else:
        fail(f"unknown check {check}")


main(sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else [])
