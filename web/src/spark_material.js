// Sparks as points coloured by their normalised age, with the preview's
// ramp (white-hot, yellow, orange, ember red); parked sparks are not drawn.
import * as THREE from 'three';

// The age a parked spark is given to the shader: far below any age a spark
// in flight has.
export const parkedAge = -1e30;

const vertexShader = /* glsl */ `
  attribute float age; // normalised age; below -1e29: parked
  uniform float pointSize;
  varying vec3 sparkColour;

  const vec3 c0 = vec3(255.0, 255.0, 230.0) / 255.0;
  const vec3 c1 = vec3(255.0, 225.0, 90.0) / 255.0;
  const vec3 c2 = vec3(255.0, 130.0, 30.0) / 255.0;
  const vec3 c3 = vec3(150.0, 25.0, 15.0) / 255.0;

  vec3 ageColour(float a) {
    a = (isnan(a) || isinf(a)) ? 1.0 : clamp(a, 0.0, 1.0);
    if (a <= 0.25) return mix(c0, c1, a / 0.25);
    if (a <= 0.55) return mix(c1, c2, (a - 0.25) / 0.30);
    return mix(c2, c3, (a - 0.55) / 0.45);
  }

  void main() {
    if (age < -1.0e29) {
      gl_Position = vec4(2.0, 2.0, 2.0, 1.0); // outside the view: clipped
      gl_PointSize = 0.0;
      return;
    }
    sparkColour = ageColour(age);
    gl_Position = projectionMatrix * modelViewMatrix * vec4(position, 1.0);
    gl_PointSize = pointSize;
  }
`;

const fragmentShader = /* glsl */ `
  varying vec3 sparkColour;
  void main() { gl_FragColor = vec4(sparkColour, 1.0); }
`;

export function sparkMaterial(pixelRatio) {
  return new THREE.ShaderMaterial({
    uniforms: { pointSize: { value: 2.5 * pixelRatio } },
    vertexShader,
    fragmentShader,
  });
}
