# plix-sandbox particle cache for Blender: import a baked cache folder as one
# animated point cloud, and render it with Cycles.
#
# As an add-on: Edit > Preferences > Add-ons > Install, pick this file, then
# File > Import > "plix-sandbox particle cache" and choose the cache folder.
#
# From the command line (Blender in the background):
#   blender -b -P plix_cache.py -- CACHE_DIR [--frames A-B] [--render OUT_DIR]
#           [--resolution WxH] [--samples N] [--save FILE.blend]
#
# The cache folder holds one binary little-endian PLY file per frame,
# frame_NNNNNN.ply, with an element "vertex" of x y z (doubles), vx vy vz
# (doubles, scene units per second), id (int) and age (float), as
# `plix-sandbox play --cache ply` writes it. Every frame's points become part
# of one mesh with the point attributes "age", "velocity", "id" and
# "plix_frame"; a geometry-nodes modifier keeps the points of the current
# frame and turns them into a point cloud of small glowing spheres coloured
# by age. The object carries the change from the sandbox's y-up axes to
# Blender's z-up ones, so its mesh keeps the cache's coordinates as they are.

bl_info = {
    "name": "plix-sandbox particle cache",
    "author": "plix6 developers",
    "version": (1, 0, 0),
    "blender": (3, 4, 0),
    "location": "File > Import > plix-sandbox particle cache",
    "description": "Imports the per-frame PLY particle cache of plix-sandbox as an animated point cloud",
    "category": "Import-Export",
}

import math
import os
import re
import struct
import sys
from array import array

FRAME_FILE = re.compile(r"^frame_(-?\d+)\.ply$")
PLY_TYPES = {
    "char": "b", "int8": "b", "uchar": "B", "uint8": "B",
    "short": "h", "int16": "h", "ushort": "H", "uint16": "H",
    "int": "i", "int32": "i", "uint": "I", "uint32": "I",
    "float": "f", "float32": "f", "double": "d", "float64": "d",
}
# Colours of the sparks by normalised age: white-hot, yellow, orange, ember red.
AGE_STOPS = [
    (0.0, (255, 255, 230)),
    (0.25, (255, 225, 90)),
    (0.55, (255, 130, 30)),
    (1.0, (150, 25, 15)),
]
# The preview's view: turned 35 degrees about the scene's y axis, tipped 25
# degrees to look down, without perspective.
VIEW_YAW = 35.0
VIEW_TILT = 25.0
VIEW_MARGIN = 0.06


class CacheError(Exception):
    """A cache folder or file that cannot be read, with the reason."""


class CacheFrame:
    """One frame file: its points and what its header tells."""

    def __init__(self, frame, positions, velocities, ids, ages, comments):
        self.frame = frame
        self.positions = positions    # array('d'), x y z per point
        self.velocities = velocities  # array('d'), vx vy vz per point (zeros when absent)
        self.ids = ids                # array('i')
        self.ages = ages              # array('f')
        self.comments = comments      # header comment lines, without "comment "

    def __len__(self):
        return len(self.ids)


def read_cache_frame(path, frame):
    with open(path, "rb") as stream:
        data = stream.read()
    end = data.find(b"end_header\n")
    if not data.startswith(b"ply\n") or end < 0:
        raise CacheError(f"{path}: not a PLY file (no 'ply' line or no 'end_header')")
    header = data[:end].decode("ascii", "replace").splitlines()
    body = data[end + len(b"end_header\n"):]
    if "format binary_little_endian 1.0" not in header:
        raise CacheError(f"{path}: not binary little-endian PLY")
    comments, elements = [], []
    for number, line in enumerate(header, start=1):
        words = line.split()
        if not words:
            continue
        if words[0] == "comment":
            comments.append(line[len("comment "):])
        elif words[0] == "element" and len(words) == 3:
            elements.append([words[1], int(words[2]), []])
        elif words[0] == "property" and elements:
            if len(words) != 3 or words[1] not in PLY_TYPES:
                raise CacheError(f"{path}: header line {number}: list or unknown property type: {line}")
            elements[-1][2].append((words[2], PLY_TYPES[words[1]]))
    vertex = [e for e in elements if e[0] == "vertex"]
    if not vertex:
        raise CacheError(f"{path}: no element 'vertex'")
    offset = 0
    for name, count, properties in elements:
        layout = struct.Struct("<" + "".join(code for _, code in properties))
        if name != "vertex":
            offset += layout.size * count
            continue
        names = [n for n, _ in properties]
        for needed in ("x", "y", "z"):
            if needed not in names:
                raise CacheError(f"{path}: element 'vertex' has no property '{needed}'")
        size = layout.size * count
        if len(body) < offset + size:
            raise CacheError(f"{path}: {count} points announced, the file ends after {(len(body) - offset) // max(layout.size, 1)}")
        column = {n: i for i, n in enumerate(names)}
        positions, velocities = array("d"), array("d")
        ids, ages = array("i"), array("f")
        has_velocity = all(n in column for n in ("vx", "vy", "vz"))
        for index, record in enumerate(layout.iter_unpack(body[offset:offset + size])):
            positions.extend((record[column["x"]], record[column["y"]], record[column["z"]]))
            if has_velocity:
                velocities.extend((record[column["vx"]], record[column["vy"]], record[column["vz"]]))
            else:
                velocities.extend((0.0, 0.0, 0.0))
            ids.append(int(record[column["id"]]) if "id" in column else index)
            ages.append(record[column["age"]] if "age" in column else 0.0)
        return CacheFrame(frame, positions, velocities, ids, ages, comments)
    raise CacheError(f"{path}: no element 'vertex'")


def list_cache_frames(folder, first=None, last=None):
    """Frame numbers and files of a cache folder, in frame order."""
    if not os.path.isdir(folder):
        raise CacheError(f"{folder}: no such folder")
    found = []
    for name in os.listdir(folder):
        match = FRAME_FILE.match(name)
        if match:
            frame = int(match.group(1))
            if (first is None or frame >= first) and (last is None or frame <= last):
                found.append((frame, os.path.join(folder, name)))
    if not found:
        where = "" if first is None else f" in frames {first}-{last}"
        raise CacheError(f"{folder}: no frame_NNNNNN.ply files{where}")
    return sorted(found)


def header_value(comments, key):
    """Numbers after `key` in the header comment 'key a b ...', or None."""
    for comment in comments:
        words = comment.split()
        if words and words[0] == key:
            return [float(w) for w in words[1:]]
    return None


def age_colour(age):
    age = min(max(age, 0.0), 1.0)
    for (a0, c0), (a1, c1) in zip(AGE_STOPS, AGE_STOPS[1:]):
        if age <= a1:
            u = (age - a0) / (a1 - a0)
            return tuple((c0[i] + (c1[i] - c0[i]) * u) / 255.0 for i in range(3))
    return tuple(c / 255.0 for c in AGE_STOPS[-1][1])


def view_axes():
    """The preview's view-plane right and up axes, in the scene's (y-up) frame."""
    yaw, tilt = math.radians(VIEW_YAW), math.radians(VIEW_TILT)
    cy, sy, ct, st = math.cos(yaw), math.sin(yaw), math.cos(tilt), math.sin(tilt)
    right = (cy, 0.0, -sy)
    up = (st * sy, ct, st * cy)
    return right, up


def project(point):
    right, up = view_axes()
    return (sum(a * b for a, b in zip(point, right)), sum(a * b for a, b in zip(point, up)))


def view_box(frames):
    """The view-plane box to frame: the one the cache names (the preview's,
    fixed by the scene), else the box around every imported point."""
    for frame in frames:
        box = header_value(frame.comments, "view")
        if box and len(box) == 4:
            return box
    low, high = [math.inf, math.inf], [-math.inf, -math.inf]
    for frame in frames:
        p = frame.positions
        for i in range(0, len(p), 3):
            v = project((p[i], p[i + 1], p[i + 2]))
            if all(math.isfinite(c) for c in v):
                for k in range(2):
                    low[k], high[k] = min(low[k], v[k]), max(high[k], v[k])
    if low[0] > high[0]:
        return [-1.0, -1.0, 1.0, 1.0]
    return [low[0], low[1], high[0], high[1]]


def scene_fps(frames):
    for frame in frames:
        fps = header_value(frame.comments, "fps")
        if fps and fps[0] > 0:
            return fps[0]
    return 30.0


# ---------------------------------------------------------------- Blender side

def to_blender(vector):
    """The sandbox's y-up vector in Blender's z-up frame."""
    return (vector[0], vector[2], vector[1])


def build_mesh(bpy, name, frames):
    mesh = bpy.data.meshes.new(name)
    count = sum(len(f) for f in frames)
    mesh.vertices.add(count)
    positions, velocities = array("f"), array("f")
    ids, ages, frame_numbers = array("i"), array("f"), array("i")
    for frame in frames:
        positions.extend(iter(frame.positions))  # doubles to Blender's floats
        velocities.extend(iter(frame.velocities))
        ids.extend(frame.ids)
        ages.extend(frame.ages)
        frame_numbers.extend([frame.frame] * len(frame))
    mesh.vertices.foreach_set("co", positions)
    mesh.attributes.new("velocity", "FLOAT_VECTOR", "POINT").data.foreach_set("vector", velocities)
    mesh.attributes.new("age", "FLOAT", "POINT").data.foreach_set("value", ages)
    mesh.attributes.new("id", "INT", "POINT").data.foreach_set("value", ids)
    mesh.attributes.new("plix_frame", "INT", "POINT").data.foreach_set("value", frame_numbers)
    mesh.update()
    return mesh


def spark_material(bpy, name):
    material = bpy.data.materials.new(name)
    material.use_nodes = True
    nodes, links = material.node_tree.nodes, material.node_tree.links
    nodes.clear()
    attribute = nodes.new("ShaderNodeAttribute")
    attribute.attribute_type = "GEOMETRY"
    attribute.attribute_name = "age"
    ramp = nodes.new("ShaderNodeValToRGB")
    elements = ramp.color_ramp.elements
    while len(elements) < len(AGE_STOPS):
        elements.new(0.5)
    for element, (age, colour) in zip(elements, AGE_STOPS):
        element.position = age
        element.color = tuple(c / 255.0 for c in colour) + (1.0,)
    emission = nodes.new("ShaderNodeEmission")
    emission.inputs["Strength"].default_value = 2.0
    output = nodes.new("ShaderNodeOutputMaterial")
    links.new(attribute.outputs["Fac"], ramp.inputs["Fac"])
    links.new(ramp.outputs["Color"], emission.inputs["Color"])
    links.new(emission.outputs["Emission"], output.inputs["Surface"])
    return material


def socket(sockets, name):
    """The socket of that name that the node's current data type shows (some
    nodes have one socket of the name per data type)."""
    return next(s for s in sockets if s.name == name and s.enabled)


def frame_filter_nodes(bpy, name, material, radius):
    """Geometry nodes: keep the points whose plix_frame is the scene's frame,
    as a point cloud of the given radius with the spark material."""
    tree = bpy.data.node_groups.new(name, "GeometryNodeTree")
    tree.inputs.new("NodeSocketGeometry", "Geometry")
    tree.outputs.new("NodeSocketGeometry", "Geometry")
    nodes, links = tree.nodes, tree.links
    group_in = nodes.new("NodeGroupInput")
    group_out = nodes.new("NodeGroupOutput")
    frame_attribute = nodes.new("GeometryNodeInputNamedAttribute")
    frame_attribute.data_type = "INT"
    frame_attribute.inputs["Name"].default_value = "plix_frame"
    scene_time = nodes.new("GeometryNodeInputSceneTime")
    other_frame = nodes.new("FunctionNodeCompare")
    other_frame.data_type = "FLOAT"
    other_frame.operation = "NOT_EQUAL"
    socket(other_frame.inputs, "Epsilon").default_value = 0.5
    delete = nodes.new("GeometryNodeDeleteGeometry")
    delete.domain = "POINT"
    to_points = nodes.new("GeometryNodeMeshToPoints")
    to_points.name = "plix radius"
    to_points.inputs["Radius"].default_value = radius
    set_material = nodes.new("GeometryNodeSetMaterial")
    set_material.inputs["Material"].default_value = material
    links.new(socket(frame_attribute.outputs, "Attribute"), socket(other_frame.inputs, "A"))
    links.new(scene_time.outputs["Frame"], socket(other_frame.inputs, "B"))
    links.new(group_in.outputs["Geometry"], delete.inputs["Geometry"])
    links.new(other_frame.outputs["Result"], delete.inputs["Selection"])
    links.new(delete.outputs["Geometry"], to_points.inputs["Mesh"])
    links.new(to_points.outputs["Points"], set_material.inputs["Geometry"])
    links.new(set_material.outputs["Geometry"], group_out.inputs["Geometry"])
    return tree


def place_camera(bpy, scene, box):
    """An orthographic camera that sees what the preview sees, margin included."""
    from mathutils import Matrix, Vector
    right, up = view_axes()
    right_b, up_b = Vector(to_blender(right)), Vector(to_blender(up))
    back_b = right_b.cross(up_b)  # the camera looks along -back
    centre = (box[0] + box[2]) / 2.0, (box[1] + box[3]) / 2.0
    span = max(box[2] - box[0], 1e-6), max(box[3] - box[1], 1e-6)
    width, height = scene.render.resolution_x, scene.render.resolution_y
    # The preview's scale in pixels per unit; the camera shows width / scale.
    scale = min(width * (1 - 2 * VIEW_MARGIN) / span[0], height * (1 - 2 * VIEW_MARGIN) / span[1])
    reach = max(span) * 4.0 + 10.0
    camera_data = bpy.data.cameras.new("plix camera")
    camera_data.type = "ORTHO"
    camera_data.sensor_fit = "HORIZONTAL"
    camera_data.ortho_scale = width / scale
    camera_data.clip_start = 0.01
    camera_data.clip_end = reach * 2.0
    camera = bpy.data.objects.new("plix camera", camera_data)
    location = right_b * centre[0] + up_b * centre[1] + back_b * reach
    rotation = Matrix((right_b, up_b, back_b)).transposed()
    camera.matrix_world = Matrix.Translation(location) @ rotation.to_4x4()
    scene.collection.objects.link(camera)
    scene.camera = camera
    return camera


def import_cache(bpy, folder, first=None, last=None, context_scene=None, report=print):
    """Imports a cache folder into the scene; returns the point-cloud object."""
    listed = list_cache_frames(folder, first, last)
    frames = []
    for number, (frame, path) in enumerate(listed, start=1):
        frames.append(read_cache_frame(path, frame))
        if number % 50 == 0 or number == len(listed):
            report(f"plix_cache: read {number} of {len(listed)} frames")
    scene = context_scene or bpy.context.scene
    name = os.path.basename(os.path.normpath(folder)) or "plix sparks"
    mesh = build_mesh(bpy, f"plix sparks {name}", frames)
    box = view_box(frames)
    radius = max(box[2] - box[0], box[3] - box[1], 1e-3) / 500.0
    material = spark_material(bpy, "plix spark")
    mesh.materials.append(material)
    obj = bpy.data.objects.new("plix sparks", mesh)
    # Sandbox axes (x, y up, z) to Blender's (x, z, y): a mirror turn, kept in
    # the object so that the mesh holds the cache's own coordinates.
    from mathutils import Matrix
    obj.matrix_world = Matrix(((1, 0, 0, 0), (0, 0, 1, 0), (0, 1, 0, 0), (0, 0, 0, 1)))
    modifier = obj.modifiers.new("plix frame", "NODES")
    modifier.node_group = frame_filter_nodes(bpy, "plix frame filter", material, radius)
    scene.collection.objects.link(obj)
    scene.frame_start, scene.frame_end = frames[0].frame, frames[-1].frame
    fps = scene_fps(frames)
    scene.render.fps = max(1, round(fps))
    scene.render.fps_base = scene.render.fps / fps
    scene.frame_set(frames[0].frame)
    obj["plix_cache_folder"] = os.path.abspath(folder)
    obj["plix_view_box"] = box
    return obj


def prepare_render(bpy, scene, obj, resolution, samples):
    scene.render.engine = "CYCLES"
    scene.cycles.device = "CPU"
    scene.cycles.samples = samples
    scene.cycles.use_denoising = False
    scene.render.resolution_x, scene.render.resolution_y = resolution
    scene.render.resolution_percentage = 100
    scene.render.image_settings.file_format = "PNG"
    scene.render.film_transparent = False
    scene.view_settings.view_transform = "Standard"  # colours as the preview's, not Filmic's
    world = scene.world or bpy.data.worlds.new("plix world")
    scene.world = world
    world.use_nodes = True
    background = world.node_tree.nodes.get("Background")
    if background is not None:
        background.inputs["Color"].default_value = (0.004, 0.004, 0.008, 1.0)
        background.inputs["Strength"].default_value = 1.0
    camera = place_camera(bpy, scene, list(obj["plix_view_box"]))
    # Sparks about two pixels across, as the preview draws them.
    pixel = camera.data.ortho_scale / scene.render.resolution_x
    obj.modifiers["plix frame"].node_group.nodes["plix radius"].inputs["Radius"].default_value = pixel


def render_frames(bpy, scene, out_folder, report=print):
    os.makedirs(out_folder, exist_ok=True)
    frames = range(scene.frame_start, scene.frame_end + 1)
    for number, frame in enumerate(frames, start=1):
        scene.frame_set(frame)
        target = os.path.join(out_folder, f"frame_{frame:06d}.png")
        partial = os.path.join(out_folder, f".frame_{frame:06d}.partial.png")
        scene.render.filepath = partial
        bpy.ops.render.render(write_still=True)
        os.replace(partial, target)  # a picture appears whole or not at all
        report(f"plix_cache: rendered frame {frame} ({number} of {len(frames)}) to {target}")


# ------------------------------------------------------------- the add-on

def _operator_class():
    import bpy
    from bpy.props import StringProperty
    from bpy_extras.io_utils import ImportHelper

    class ImportPlixCache(bpy.types.Operator, ImportHelper):
        """Import a plix-sandbox particle cache folder as an animated point cloud"""
        bl_idname = "import_scene.plix_cache"
        bl_label = "Import plix-sandbox particle cache"
        bl_options = {"REGISTER", "UNDO"}
        filename_ext = ".ply"
        filter_glob: StringProperty(default="frame_*.ply", options={"HIDDEN"})

        def execute(self, context):
            path = self.filepath
            folder = path if os.path.isdir(path) else os.path.dirname(path)
            try:
                import_cache(bpy, folder, context_scene=context.scene,
                             report=lambda text: self.report({"INFO"}, text))
            except (CacheError, OSError) as error:
                self.report({"ERROR"}, str(error))
                return {"CANCELLED"}
            return {"FINISHED"}

    return ImportPlixCache


_registered = []


def _menu_entry(self, context):
    self.layout.operator("import_scene.plix_cache", text="plix-sandbox particle cache")


def register():
    import bpy
    cls = _operator_class()
    bpy.utils.register_class(cls)
    _registered.append(cls)
    bpy.types.TOPBAR_MT_file_import.append(_menu_entry)


def unregister():
    import bpy
    bpy.types.TOPBAR_MT_file_import.remove(_menu_entry)
    while _registered:
        bpy.utils.unregister_class(_registered.pop())


# ------------------------------------------------------------- command line

def parse_command_line(argv):
    import argparse
    parser = argparse.ArgumentParser(
        prog="blender -b -P plix_cache.py --",
        description="Import a plix-sandbox particle cache folder into Blender and render it with Cycles.")
    parser.add_argument("cache", help="folder of frame_NNNNNN.ply files (plix-sandbox play --cache ply)")
    parser.add_argument("--frames", help="frames A-B to import (default: every frame in the folder)")
    parser.add_argument("--render", metavar="OUT_DIR", help="render each frame to OUT_DIR/frame_NNNNNN.png")
    parser.add_argument("--resolution", default="640x480", help="picture size WxH (default 640x480)")
    parser.add_argument("--samples", type=int, default=32, help="Cycles samples per pixel (default 32)")
    parser.add_argument("--save", metavar="FILE", help="save the scene as a .blend file")
    args = parser.parse_args(argv)
    args.first = args.last = None
    if args.frames is not None:
        match = re.fullmatch(r"(-?\d+)-(-?\d+)|(-?\d+)", args.frames)
        if not match:
            parser.error(f"--frames {args.frames}: expected A-B or A, e.g. 0-89")
        if match.group(3) is not None:
            args.first = args.last = int(match.group(3))
        else:
            args.first, args.last = int(match.group(1)), int(match.group(2))
        if args.first > args.last:
            parser.error(f"--frames {args.frames}: the first frame is after the last")
    match = re.fullmatch(r"(\d+)x(\d+)", args.resolution)
    if not match or not (4 <= int(match.group(1)) <= 16384 and 4 <= int(match.group(2)) <= 16384):
        parser.error(f"--resolution {args.resolution}: expected WxH between 4 and 16384, e.g. 640x480")
    args.resolution = (int(match.group(1)), int(match.group(2)))
    if not 1 <= args.samples <= 65536:
        parser.error(f"--samples {args.samples}: expected 1 to 65536")
    return args


def main(argv):
    import bpy
    args = parse_command_line(argv)
    scene = bpy.context.scene
    # Start from an empty scene: the startup file's cube, light and camera
    # would stand in the sparks' way.
    for obj in list(scene.objects):
        bpy.data.objects.remove(obj, do_unlink=True)
    obj = import_cache(bpy, args.cache, args.first, args.last, scene)
    print(f"plix_cache: imported {len(obj.data.vertices)} points of frames {scene.frame_start}-{scene.frame_end}"
          f" from {args.cache}")
    prepare_render(bpy, scene, obj, args.resolution, args.samples)
    if args.save:
        bpy.ops.wm.save_as_mainfile(filepath=os.path.abspath(args.save))
        print(f"plix_cache: saved {args.save}")
    if args.render:
        render_frames(bpy, scene, args.render)


def _script_arguments():
    return sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []


if __name__ == "__main__":
    try:
        main(_script_arguments())
    except CacheError as error:
        print(f"plix_cache: {error}", file=sys.stderr)
        sys.exit(1)
