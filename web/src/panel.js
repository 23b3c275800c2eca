// The effect's settings panel, built from the control and data tables the
// module handed to the toolkit: the controls in the module's order, each
// labelled with the module's own label, in a widget that fits its control
// type. Values are those the get callback shows; an edit goes through the set
// callback at once, and the panel then shows what the module shows.
const sliderRange = { min: 0, max: 180 };

function numberText(value) {
  return typeof value === 'number' ? String(value) : String(value ?? '');
}

export class PanelView {
  constructor(form, api, onEdited, onError) {
    this.form = form;
    this.api = api;
    this.onEdited = onEdited;
    this.onError = onError;
    this.effect = null;
    this.widgets = new Map(); // id -> { control, show(value) }
    form.addEventListener('submit', (event) => event.preventDefault());
  }

  async load(effect) {
    this.effect = effect;
    const panel = await this.api.panel(effect);
    this.#build(panel.controls);
  }

  #build(controls) {
    this.form.replaceChildren();
    this.widgets.clear();
    for (const control of controls) {
      const widget = this.#widget(control);
      this.widgets.set(control.id, widget);
      widget.show(control.value);
    }
  }

  #show(controls) {
    for (const control of controls) this.widgets.get(control.id)?.show(control.value);
  }

  async #enter(control, value, element) {
    try {
      const answer = await this.api.enter(this.effect, control.id, value);
      element?.classList.remove('rejected');
      this.#show(answer.controls);
      this.onEdited(control);
    } catch (error) {
      element?.classList.add('rejected');
      this.widgets.get(control.id)?.show(control.lastShown);
      this.onError(`${control.label}: ${error.message}`);
    }
  }

  #label(control, forId) {
    const label = document.createElement('label');
    label.textContent = control.label;
    label.htmlFor = forId;
    this.form.append(label);
  }

  #widget(control) {
    const id = `control-${control.id}`;
    const remember = (value) => { control.lastShown = value; };
    switch (control.controlType) {
      case 'float':
      case 'integer': return this.#numberWidget(control, id, remember);
      case 'iSlider': return this.#sliderWidget(control, id, remember);
      case 'iBoolean': return this.#switchWidget(control, id, remember);
      case 'float3': return this.#vectorWidget(control, id, remember);
      default: return this.#unknownWidget(control, id);
    }
  }

  #numberWidget(control, id, remember) {
    this.#label(control, id);
    const input = document.createElement('input');
    input.type = 'number';
    input.id = id;
    input.step = control.dataType === 'integer' ? '1' : 'any';
    input.addEventListener('change', () => {
      if (input.value.trim() === '' || !input.checkValidity()) {
        input.classList.add('rejected');
        this.onError(`${control.label}: ${control.dataType === 'integer' ? 'a whole number' : 'a number'}, please`);
        return;
      }
      this.#enter(control, Number(input.value), input);
    });
    this.form.append(input);
    return {
      control,
      show: (value) => {
        remember(value);
        input.disabled = value === null;
        input.value = value === null ? '' : numberText(value);
        input.placeholder = value === null ? 'no value' : '';
      },
    };
  }

  #sliderWidget(control, id, remember) {
    this.#label(control, id);
    const box = document.createElement('div');
    box.className = 'slider';
    const input = document.createElement('input');
    input.type = 'range';
    input.id = id;
    input.step = '1';
    const readout = document.createElement('output');
    readout.htmlFor = id;
    input.addEventListener('input', () => { readout.textContent = input.value; });
    input.addEventListener('change', () => this.#enter(control, Number(input.value), input));
    box.append(input, readout);
    this.form.append(box);
    return {
      control,
      show: (value) => {
        remember(value);
        input.disabled = value === null;
        // A stored value outside the usual range widens the slider rather than being shown clamped.
        const v = typeof value === 'number' ? value : 0;
        input.min = String(Math.min(sliderRange.min, v));
        input.max = String(Math.max(sliderRange.max, v));
        input.value = String(v);
        readout.textContent = value === null ? 'no value' : String(value);
      },
    };
  }

  #switchWidget(control, id, remember) {
    this.#label(control, id);
    const box = document.createElement('div');
    const input = document.createElement('input');
    input.type = 'checkbox';
    input.id = id;
    const note = document.createElement('span');
    note.className = 'no-value';
    input.addEventListener('change', () => this.#enter(control, input.checked ? 1 : 0, input));
    box.append(input, note);
    this.form.append(box);
    return {
      control,
      show: (value) => {
        remember(value);
        input.disabled = value === null;
        input.checked = typeof value === 'number' && value !== 0;
        // Only 1 means on to the effect; say so when another value is stored.
        note.textContent = value === null ? ' no value' : value === 0 || value === 1 ? '' : ` stored ${value}`;
      },
    };
  }

  #vectorWidget(control, id, remember) {
    const label = document.createElement('span');
    label.className = 'label';
    label.id = `${id}-label`;
    label.textContent = control.label;
    this.form.append(label);
    const group = document.createElement('fieldset');
    group.setAttribute('aria-labelledby', label.id);
    group.id = id;
    const inputs = ['x', 'y', 'z'].map((axis) => {
      const input = document.createElement('input');
      input.type = 'number';
      input.step = 'any';
      input.setAttribute('aria-label', `${control.label} ${axis}`);
      group.append(input);
      return input;
    });
    for (const input of inputs)
      input.addEventListener('change', () => {
        if (inputs.some((i) => i.value.trim() === '' || !i.checkValidity())) {
          input.classList.add('rejected');
          this.onError(`${control.label}: three numbers, please`);
          return;
        }
        this.#enter(control, inputs.map((i) => Number(i.value)), group);
      });
    this.form.append(group);
    return {
      control,
      show: (value) => {
        remember(value);
        inputs.forEach((input, i) => {
          input.disabled = value === null;
          input.value = value === null ? '' : numberText(value[i]);
        });
      },
    };
  }

  #unknownWidget(control, id) {
    this.#label(control, id);
    const text = document.createElement('output');
    text.id = id;
    this.form.append(text);
    return { control, show: (value) => { text.textContent = value === null ? 'no value' : JSON.stringify(value); } };
  }
}
